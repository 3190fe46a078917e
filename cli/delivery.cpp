#include "delivery.h"

#include <iostream>

#include "printing/console_delivery_reporter.h"
#include "printing/destinations.h"
#include "printing/job_delivery.h"
#include "progress_line.h"

namespace kmjob {

std::optional<std::string> DestinationOf(const CommandLine& line) {
  if (line.dest) return *line.dest;
  if (line.group) return printing::GroupDestination(*line.group);
  return std::nullopt;
}

std::string StatusLabelOf(const std::string& destination) {
  return printing::IsGroupDestination(destination) ? printing::GroupNameOf(destination)
                                                   : destination;
}

int DeliverFile(const CommandLine& line, const std::string& documentName,
                const std::string& jobPath, const std::string& destination) {
  printing::ConsoleDeliveryReporter reporter(std::cout, std::cerr);
  printing::DeliveryOutcome outcome;
  {
    ProgressLine progress;
    progress.Show("Sending " + documentName + " to " + StatusLabelOf(destination) + "...");
    outcome = printing::DeliverJob(documentName, jobPath, destination, reporter,
                                   line.settings.value_or(std::string()));
  }
  using Result = printing::DeliveryOutcome::Result;
  return outcome.result == Result::kDelivered || outcome.result == Result::kNothingToDo
             ? 0
             : kDeliveryFailed;
}

}  // namespace kmjob
