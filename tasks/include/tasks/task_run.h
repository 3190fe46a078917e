#pragma once
// The sequence every task follows, from the GUI and from kmjob alike: a job file (the given
// output, or a temporary file), the generator's entry point, delivery to the destination,
// clean-up, and a report through the front end's reporter.

#include <functional>
#include <optional>
#include <string>

#include "printing/job_delivery.h"
#include "trm.h"

namespace tasks {

// How a front end shows a task. Delivery reports arrive through the DeliveryReporter part;
// texts arrive untranslated.
class TaskReporter : public printing::DeliveryReporter {
 public:
  // The job is being written (busy cursor, progress line) until JobWritten or GeneratorFailed.
  virtual void WritingJob(const std::string& /*progressText*/) {}
  // The generator wrote the job file; delivery, if any, follows.
  virtual void JobWritten(const std::string& /*jobPath*/) {}
  // The job is being sent to a destination (a printer, or the group prefix and a group name)
  // until the delivery reports. Not called for the no-printer entry.
  virtual void Delivering(const std::string& /*documentName*/, const std::string& /*destination*/) {
  }
  // No temporary job file could be made (reason names the folder); nothing else happens.
  virtual void NoTemporaryFile(const std::string& reason) = 0;
  // The generator refused the job: its status code and last detail (may be empty). The
  // generator's last message is still current during the call.
  virtual void GeneratorFailed(int status, const std::string& detail) = 0;
  // The output record could not be made; nothing else happens.
  virtual void OutOfMemory() { ShowError("out of memory"); }
};

struct TaskRequest {
  std::string documentName;                // shown in the print queue and the success line
  std::optional<std::string> destination;  // printer or group item; none: write the job only
  // Empty: a temporary file, removed after delivery, when there is a destination; with
  // neither, the output record has no path and the generator reports that.
  std::string outputPath;
  bool overwriteOutput = false;
  std::string progressText;
  std::string settingsFile;  // empty: the standard settings file (groups)
  // Calls the generator's entry point with the output record (path and flags already set);
  // returns its status code. The generator must have been started (trmInitialize).
  std::function<int(const trmVOS*)> writeJob;
};

enum class TaskResult {
  kDelivered,        // written and delivered to every printer
  kWritten,          // written to the output, no destination
  kNoTemporaryFile,  // nothing written
  kOutOfMemory,      // nothing written
  kGeneratorFailed,  // nothing written, nothing delivered
  kNotDelivered,     // written, but delivery failed or had nothing to do
};

struct TaskOutcome {
  TaskResult result = TaskResult::kGeneratorFailed;
  int status = 0;                      // the generator's status code
  std::string jobPath;                 // the job file written (gone again when temporary)
  printing::DeliveryOutcome delivery;  // when a destination was given and the job written
};

// Prefix of temporary job files.
inline constexpr char kTemporaryJobPrefix[] = "trm";

TaskOutcome RunTask(const TaskRequest& request, TaskReporter& reporter);

}  // namespace tasks
