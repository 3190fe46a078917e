#include <string>

#include "frame/job_file.h"
#include "frame/library_state.h"
#include "project/project_opening.h"
#include "stream/job_text.h"
#include "stream/ps_string.h"
#include "trm.h"

namespace {

constexpr std::string_view kOperation = "trmListPrinterProjectResources";

std::string BuildListing(const trmPPS& pps) {
  std::string job = trm::JobHeader(kOperation) + trm::PrologAndDate();
  job += "\n[" + trm::PsString(*pps.folderName) + " " + trm::PsString(*pps.projectName) + " 0] ";
  job += trm::PsString(trm::TextOrEmpty(pps.statusLabel)) + " true false list&remove";
  // The listing is what the job is for: its list is always printed.
  job += trm::kTrailerWithList;
  return job;
}

}  // namespace

extern "C" int trmListPrinterProjectResources(const trmPPS* pps, const trmVOS* vos) {
  if (!trm::IsInitialised()) return TRM_NOT_INITIALIZED;
  if (int code = trm::CheckPrinterProjectParameters(kOperation, pps, vos); code != TRM_OK) {
    return code;
  }
  const std::string job = BuildListing(*pps);
  return trm::WriteBuiltJob(kOperation, *vos, job);
}
