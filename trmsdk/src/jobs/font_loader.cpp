#include <vector>

#include "encoding/load_record.h"
#include "encoding/source_file.h"
#include "fonts/font_file.h"
#include "frame/job_file.h"
#include "frame/library_state.h"
#include "stream/job_text.h"
#include "stream/ps_string.h"
#include "trm.h"

namespace {

constexpr std::string_view kOperation = "trmCreatePSFontLoader";

// One font: unwrapped when segmented, named from its FontName entry, stored under fonts/.
int WriteFontRecord(const trm::JobContext& job, const std::string& path,
                    const std::string& parameters, bool hex) {
  std::vector<unsigned char> data;
  int code = trm::ReadSourceFile(job, path, data);
  if (code != TRM_OK) return code;
  if (trm::IsSegmentedFont(data)) data = trm::UnwrapSegmentedFont(data);
  auto name = trm::FindFontName(data);
  if (!name) return job.Fail(TRM_NO_FONT_NAME, path);
  return trm::WriteDiskLoadRecord(job, data, "fonts/" + *name, parameters, hex);
}

}  // namespace

extern "C" int trmCreatePSFontLoader(const trmFOS* fos, const trmVOS* vos) {
  if (!trm::IsInitialised()) return TRM_NOT_INITIALIZED;
  if (!fos || !fos->loadFontsList || fos->loadFontsList->empty()) {
    return trm::MissingParameter(kOperation, "trmFOS.loadFontsList");
  }
  if (!vos || !trm::IsSetText(vos->outputPath)) {
    return trm::MissingParameter(kOperation, "trmVOS.outputPath");
  }

  const bool status = fos->flags & TRM_FLAG_STATUS_PAGE;
  // A font already on the printer is never replaced.
  const std::string parameters =
      trm::PsString(trm::TextOrEmpty(fos->statusLabel)) + " " + trm::Word(status) + " false";
  return trm::WriteJob(kOperation, *vos, trm::JobBuild::kSections, [&](const trm::JobContext& job) {
    int code = job.Section(trm::JobHeader(kOperation) + trm::PrologAndDate());
    for (const std::string& font : *fos->loadFontsList) {
      if (code != TRM_OK) break;
      code = WriteFontRecord(job, font, parameters, fos->flags & TRM_FLAG_HEX);
    }
    if (code != TRM_OK) return code;
    return job.Section(status ? trm::kTrailerWithList : trm::kEndOfFile);
  });
}
