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
  if (trm::IsAllPattern(pattern)) {
    job += "\n" + trm::ListRemoveCommand("mtb/*", label, true, false) + "\n";
    job += "\n" + trm::ListRemoveCommand("mtbc/*", label, true, false) + "\n";
  } else {
    job += "\n" + trm::ListRemoveCommand(pattern, label, true, false);
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
  return trm::WriteJob(kOperation, *vos, trm::JobBuild::kInMemory,
                       [&](const trm::JobContext& context) { return context.Section(job); });
}
