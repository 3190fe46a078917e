#pragma once
// The sequence every task follows, from the GUI and from kmjob alike: a job file (the given
// output, or a temporary file), the generator's entry point, delivery to the destination,
// clean-up, and a report through the front end's reporter.

#include <functional>
#include <string>

#include "printing/job_delivery.h"
#include "trm.h"

namespace tasks {

// How a front end shows a task. Delivery reports arrive through the DeliveryReporter part.
class TaskReporter : public printing::DeliveryReporter {
 public:
  // The job is being written (busy cursor, progress line) until JobWritten.
  virtual void WritingJob(const std::string& /*progressText*/) {}
  virtual void JobWritten() {}
  // No temporary job file could be made; nothing else happens.
  virtual void NoTemporaryFile(const std::string& reason) = 0;
  // The generator refused the job: its status code and last detail (may be empty).
  virtual void GeneratorFailed(int status, const std::string& detail) = 0;
};

struct TaskRequest {
  std::string documentName;  // shown in the print queue and the success line
  std::string destination;   // printer or group item; empty: write the job only
  std::string outputPath;    // empty: a temporary file, removed after delivery
  bool overwriteOutput = false;
  std::string progressText;
  std::string settingsFile;  // empty: the standard settings file (groups)
  // Calls the generator's entry point with the output record (path and flags already set);
  // returns its status code.
  std::function<int(const trmVOS*)> writeJob;
};

enum class TaskResult {
  kDelivered,        // written and delivered to every printer
  kWritten,          // written to the output, no destination
  kNoTemporaryFile,  // nothing written
  kGeneratorFailed,  // nothing written, nothing delivered
  kNotDelivered,     // written, but delivery failed or had nothing to do
};

struct TaskOutcome {
  TaskResult result = TaskResult::kGeneratorFailed;
  int status = 0;                     // the generator's status code
  std::string jobPath;                // the job file written (gone again when temporary)
  printing::DeliveryOutcome delivery;  // when a destination was given and the job written
};

TaskOutcome RunTask(const TaskRequest& request, TaskReporter& reporter);

}  // namespace tasks
