#include <string>

#include "frame/job_file.h"
#include "frame/library_state.h"
#include "stream/job_text.h"
#include "stream/wildcard.h"
#include "trm.h"

namespace {

constexpr std::string_view kOperation = "trmListPrinterFiles";

std::string BuildListing(const trmFOS* fos) {
  const std::string& label = fos ? trm::TextOrEmpty(fos->statusLabel) : std::string();
  std::string pattern =
      fos && fos->listPattern && !fos->listPattern->empty() ? *fos->listPattern : "*";
  std::string job = trm::JobHeader(kOperation) + trm::PrologAndDate();
  auto list = [&](std::string_view listed) {
    job.append("\n").append(trm::ListRemoveCommand(listed, label, true, false));
  };
  if (trm::IsAllPattern(pattern)) {
    list("mtb/*");
    job.append("\n");
    list("mtbc/*");
    job.append("\n");
  } else {
    list(pattern);
  }
  // The listing is the status page, so it always ends its list.
  job += trm::kTrailerWithList;
  return job;
}

}  // namespace

extern "C" int trmListPrinterFiles(const trmFOS* fos, const trmVOS* vos) {
  if (!trm::IsInitialised()) return TRM_NOT_INITIALIZED;
  if (!vos || !trm::IsSetText(vos->outputPath)) {
    return trm::MissingParameter(kOperation, "trmVOS.outputPath");
  }
  const std::string job = BuildListing(fos);
  return trm::WriteBuiltJob(kOperation, *vos, job);
}
