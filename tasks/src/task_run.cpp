#include "tasks/task_run.h"

#include <memory>
#include <optional>

#include "printing/printer_list.h"
#include "temporary_job_file.h"

namespace tasks {

namespace {

struct VosDeleter {
  void operator()(trmVOS* vos) const { trmFreeVOS(vos); }
};

// The generator's last detail; it has none after some failures.
std::string LastDetail() {
  const char* detail = trmGetLastDetail();
  return detail ? detail : "";
}

}  // namespace

TaskOutcome RunTask(const TaskRequest& request, TaskReporter& reporter) {
  TaskOutcome outcome;
  std::optional<TemporaryJobFile> temporary;
  std::string jobPath = request.outputPath;
  unsigned int flags = request.overwriteOutput ? TRM_FLAG_REPLACE : 0;
  if (jobPath.empty() && request.destination) {
    std::string reason;
    temporary = TemporaryJobFile::Create(kTemporaryJobPrefix, &reason);
    if (!temporary) {
      reporter.NoTemporaryFile(reason);
      outcome.result = TaskResult::kNoTemporaryFile;
      return outcome;
    }
    jobPath = temporary->path();
    // The file exists already: made above so that the name is this process's own.
    flags |= TRM_FLAG_REPLACE;
  }

  std::unique_ptr<trmVOS, VosDeleter> vos(trmNewVOS());
  if (!vos || (!jobPath.empty() && !trmVOSSetOutputPath(vos.get(), jobPath.c_str()))) {
    reporter.OutOfMemory();
    outcome.result = TaskResult::kOutOfMemory;
    return outcome;
  }
  trmVOSSetFlags(vos.get(), flags);

  reporter.WritingJob(request.progressText);
  outcome.status = request.writeJob(vos.get());
  if (outcome.status != TRM_OK) {
    reporter.GeneratorFailed(outcome.status, LastDetail());
    outcome.result = TaskResult::kGeneratorFailed;
    return outcome;
  }
  outcome.jobPath = jobPath;
  reporter.JobWritten(jobPath);
  if (!request.destination) {
    outcome.result = TaskResult::kWritten;
    return outcome;
  }

  const std::string& destination = *request.destination;
  if (destination != printing::NoPrinterText()) {
    reporter.Delivering(request.documentName, destination);
  }
  outcome.delivery = printing::DeliverJob(request.documentName, jobPath, destination, reporter,
                                          request.settingsFile);
  outcome.result = outcome.delivery.result == printing::DeliveryOutcome::Result::kDelivered
                       ? TaskResult::kDelivered
                       : TaskResult::kNotDelivered;
  return outcome;
}

}  // namespace tasks
