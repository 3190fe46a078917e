#pragma once
// What a queue's driver does with a PostScript job, learned from the PPD the print server
// hands out for the queue.

#include <string>

#include "print_server.h"

namespace printing {

enum class DriverKind {
  kUnavailable,  // the queue's details cannot be had
  kNoDriver,     // a raw queue: no PPD
  kPassThrough,  // a PPD without conversion filters: PostScript goes to the device as it is
  kConverting,   // a PPD with *cupsFilter or *cupsFilter2 lines
};

// The driver kind of a queue, asked over the given connection; kUnavailable when the server
// gives no answer in time, does not know the queue, or hands out a PPD that cannot be read or
// is larger than 8 MiB. Never opens a connection of its own.
DriverKind FetchDriverKind(PrintServerConnection& server, const std::string& printerName);

// True when a PPD text has a line starting "*cupsFilter:" or "*cupsFilter2:".
bool PpdHasFilters(const std::string& ppdText);

}  // namespace printing
