#include <string>

#include "frame/job_file.h"
#include "frame/library_state.h"
#include "project/project_opening.h"
#include "stream/job_text.h"
#include "stream/ps_string.h"
#include "trm.h"

namespace {

constexpr std::string_view kOperation = "trmCreateProjectRemover";

// Which scopes the printer keeps: bit 1 the folder-shared files, bit 2 the global-shared ones.
char KeepDigit(std::uint32_t flags) {
  return static_cast<char>('0' + ((flags & TRM_PPS_SKIP_FOLDER_SHARED) ? 1 : 0) +
                           ((flags & TRM_PPS_SKIP_GLOBAL_SHARED) ? 2 : 0));
}

std::string BuildRemover(const trmPPS& pps) {
  const bool status = pps.flags & TRM_FLAG_STATUS_PAGE;
  std::string job = trm::JobHeader(kOperation) + trm::PrologAndDate();
  job += "\n\n[" + trm::PsString(*pps.folderName) + " " + trm::PsString(*pps.projectName) + " ";
  job += KeepDigit(pps.flags);
  job += "] " + trm::PsString(trm::TextOrEmpty(pps.statusLabel)) + " " + trm::Word(status) +
         " true list&remove\n";
  job += status ? trm::kTrailerWithList : trm::kEndOfFile;
  return job;
}

}  // namespace

extern "C" int trmCreateProjectRemover(const trmPPS* pps, const trmVOS* vos) {
  if (!trm::IsInitialised()) return TRM_NOT_INITIALIZED;
  if (int code = trm::CheckPrinterProjectParameters(kOperation, pps, vos); code != TRM_OK) {
    return code;
  }
  const std::string job = BuildRemover(*pps);
  return trm::WriteBuiltJob(kOperation, *vos, job);
}
