#include <string>

#include "frame/job_file.h"
#include "frame/library_state.h"
#include "stream/job_text.h"
#include "stream/wildcard.h"
#include "trm.h"

namespace {

constexpr std::string_view kOperation = "trmCreateFileRemover";

std::string BuildRemover(const trmFOS& fos) {
  const bool status = fos.flags & TRM_FLAG_STATUS_PAGE;
  const std::string& label = trm::TextOrEmpty(fos.statusLabel);
  auto line = [&](std::string_view pattern) {
    return trm::ListRemoveCommand(pattern, label, status, true) + "\n";
  };

  std::string job = trm::JobHeader(kOperation) + trm::PrologAndDate();
  bool everything = false;
  for (const std::string& entry : *fos.removeFilesList) {
    if (trm::IsAllPattern(entry)) {
      // Removing everything also takes the interpreter away: start-up must not run it.
      job = trm::JobHeader(kOperation);
      job += trm::kSystemModeStart;
      job += trm::PrologAndDate();
      job += line("mtb/*");
      job += line("mtbc/*");
      job += trm::AutoStartCommand(label, status, '0');
      everything = true;
      break;
    }
    job += line(entry);
  }
  if (status) job += trm::kEndList;
  if (everything) job += trm::kSystemModeEnd;
  job += trm::kEndOfFile;
  return job;
}

}  // namespace

extern "C" int trmCreateFileRemover(const trmFOS* fos, const trmVOS* vos) {
  if (!trm::IsInitialised()) return TRM_NOT_INITIALIZED;
  if (!fos || !fos->removeFilesList) {
    return trm::MissingParameter(kOperation, "trmFOS.removeFilesList");
  }
  if (!vos || !trm::IsSetText(vos->outputPath)) {
    return trm::MissingParameter(kOperation, "trmVOS.outputPath");
  }
  const std::string job = BuildRemover(*fos);
  return trm::WriteBuiltJob(kOperation, *vos, job);
}
