#include "delivery.h"

#include "console_task_reporter.h"
#include "printing/destinations.h"
#include "printing/job_delivery.h"

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

int ExitStatusOf(const printing::DeliveryOutcome& outcome) {
  using Result = printing::DeliveryOutcome::Result;
  return outcome.result == Result::kDelivered || outcome.result == Result::kNothingToDo
             ? 0
             : kDeliveryFailed;
}

int DeliverFile(const CommandLine& line, const std::string& documentName,
                const std::string& jobPath, const std::string& destination) {
  ConsoleTaskReporter reporter;
  reporter.Delivering(documentName, destination);
  return ExitStatusOf(printing::DeliverJob(documentName, jobPath, destination, reporter,
                                           line.settings.value_or(std::string())));
}

}  // namespace kmjob
