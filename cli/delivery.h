#pragma once
// Delivery of a job file to the destination named on the command line.

#include <optional>
#include <string>

#include "command_line.h"
#include "printing/job_delivery.h"

namespace kmjob {

inline constexpr int kDeliveryFailed = 2;

// The destination item (--dest as given, or --group NAME behind the group prefix); nothing when
// neither was given.
std::optional<std::string> DestinationOf(const CommandLine& line);

// The name printed on the printer's status page for a destination: the group prefix removed.
std::string StatusLabelOf(const std::string& destination);

// 0 when every printer received the job (or there was nothing to send to), kDeliveryFailed
// otherwise.
int ExitStatusOf(const printing::DeliveryOutcome& outcome);

// Sends the file, unchanged, to the destination and reports on the terminal; 0 when every
// printer received it (or there was nothing to send to), kDeliveryFailed otherwise.
int DeliverFile(const CommandLine& line, const std::string& documentName,
                const std::string& jobPath, const std::string& destination);

}  // namespace kmjob
