#pragma once
// The public printer-list operations on a connection the caller already holds, so one
// listing asks every question over one connection and one set of time limits. Defined with
// the public operations in printer_list.cpp.

#include <string>
#include <vector>

#include "print_server.h"
#include "printing/printer_list.h"

namespace printing {

// Replaces printers with the server's queues in its order (none for a server without
// printers); false (with the reason in *error when given) when the server gives no answer in
// time or refuses the request.
bool EnumeratePrinters(PrintServerConnection& server, std::vector<PrinterRecord>& printers,
                       std::string* error);

// The rule of the public IsPostScriptPrinter, asked over the given connection; false for a
// queue whose details cannot be had. Never reports why: the caller checks server.timedOut().
bool IsPostScriptPrinter(PrintServerConnection& server, const PrinterRecord& printer);

}  // namespace printing
