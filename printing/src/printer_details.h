#pragma once
// What a queue's driver does with a PostScript job, and the connection-sharing variants of
// the public printer-list operations.

#include <string>
#include <vector>

#include "print_server.h"
#include "printing/printer_list.h"

namespace printing {

enum class DriverKind {
  kUnavailable,  // the queue's details cannot be had
  kNoDriver,     // a raw queue: no PPD
  kPassThrough,  // a PPD without conversion filters: PostScript goes to the device as it is
  kConverting,   // a PPD with *cupsFilter or *cupsFilter2 lines
};

DriverKind FetchDriverKind(PrintServerConnection& server, const std::string& printerName);
// True when a PPD text names a conversion filter.
bool PpdHasFilters(const std::string& ppdText);

bool EnumeratePrinters(PrintServerConnection& server, std::vector<PrinterRecord>& printers,
                       std::string* error);
bool IsPostScriptPrinter(PrintServerConnection& server, const PrinterRecord& printer);

}  // namespace printing
