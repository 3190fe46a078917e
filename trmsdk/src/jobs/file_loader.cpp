#include "encoding/load_record.h"
#include "frame/job_file.h"
#include "frame/library_state.h"
#include "stream/job_text.h"
#include "trm.h"

namespace {

constexpr std::string_view kOperation = "trmCreateFileLoader";

}  // namespace

extern "C" int trmCreateFileLoader(const trmFOS* fos, const trmVOS* vos) {
  if (!trm::IsInitialised()) return TRM_NOT_INITIALIZED;
  if (!fos || !fos->loadFilesList || !fos->printerFilesList || fos->loadFilesList->empty() ||
      fos->loadFilesList->size() != fos->printerFilesList->size()) {
    return trm::MissingParameter(kOperation, "trmFOS.loadFilesList or trmFOS.printerFilesList");
  }
  if (!vos || !trm::IsSetText(vos->outputPath))
    return trm::MissingParameter(kOperation, "trmVOS.outputPath");

  const bool status = fos->flags & TRM_FLAG_STATUS_PAGE;
  const std::string parameters = trm::LoadParameters(trm::TextOrEmpty(fos->statusLabel), status,
                                                     fos->flags & TRM_FLAG_REPLACE);
  return trm::WriteJob(kOperation, *vos, trm::JobBuild::kSections, [&](const trm::JobContext& job) {
    int code = job.Section(trm::JobHeader(kOperation) + trm::PrologAndDate());
    const auto& locals = *fos->loadFilesList;
    const auto& printers = *fos->printerFilesList;
    for (std::size_t i = 0; code == TRM_OK && i < locals.size(); ++i) {
      code = trm::WriteFileLoadRecord(job, locals[i], printers[i], parameters,
                                      fos->flags & TRM_FLAG_HEX);
    }
    if (code != TRM_OK) return code;
    return job.Section(status ? trm::kTrailerWithList : trm::kEndOfFile);
  });
}
