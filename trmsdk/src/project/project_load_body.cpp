#include "project/project_load_body.h"

#include <string>

#include "encoding/load_record.h"
#include "encoding/source_file.h"
#include "frame/debug_log.h"
#include "frame/status.h"
#include "project/resource_selection.h"
#include "stream/job_text.h"
#include "stream/printer_names.h"
#include "stream/ps_string.h"
#include "trm.h"

namespace trm {
namespace {

constexpr std::string_view kStartBanner = "\n%%Start deploying resources.\n";
constexpr std::string_view kEndBanner = "%% End deploying resources\n";
constexpr std::string_view kEndListLine = "\nend_list\n";
// A font is stored in the printer's global font library, whatever its scope in the project.
constexpr int kFontScope = 2;

// "[scope (folder) (project)] (label) status replace": the parameters of a scoped resource.
std::string ScopedParameters(int scope, const tpsdk::Project& project, std::string_view label,
                             bool status, bool replace) {
  return "[" + std::to_string(scope) + " " + PsString(project.GetFolderName()) + " " +
         PsString(project.GetProjectName()) + "] " + LoadParameters(label, status, replace);
}

class LoadBody {
 public:
  LoadBody(const JobContext& job, const tpsdk::Project& project, const trmPPS& pps)
      : job_(job),
        project_(project),
        label_(TextOrEmpty(pps.statusLabel)),
        status_(pps.flags & TRM_FLAG_STATUS_PAGE),
        replace_(pps.flags & TRM_FLAG_REPLACE),
        hex_(pps.flags & TRM_FLAG_HEX) {}

  int Load(const tpsdk::ProjectElement& element) {
    const std::string localPath = element.GetLocalPath();
    {
      // The file is checked before it is announced as loading.
      SourceFile probe;
      if (int code = probe.Open(job_, localPath); code != TRM_OK) return code;
    }
    SetStatus(TRM_LOADING_RESOURCE, job_.operation, localPath);
    WriteDebugLog(LastMessage());
    const std::string_view type = element.GetType();
    const int scope = element.GetScope();
    std::string parameters;
    if (type == "fnt") {
      parameters = ScopedParameters(kFontScope, project_, label_, status_, replace_);
    } else if (scope != 0) {
      parameters = ScopedParameters(scope, project_, label_, status_, replace_);
    } else {
      parameters = LoadParameters(label_, status_, replace_);
    }
    const int code = WriteFileLoadRecord(job_, localPath, PrinterName(element), parameters, hex_);
    if (code == TRM_OK) ++loaded_;
    // Hex data end with their last digit; ASCII85 data with a line end.
    openLine_ = hex_;
    return code;
  }

  // A shared resource left out by the filter is announced without data, so the printer can
  // say whether it already holds it. Each record stands on lines of its own: nothing it ends
  // with (hex data end without a line end) runs into the count or the name of the next.
  int Reference(const tpsdk::ProjectElement& element) {
    const int scope = element.GetScope();
    if (scope == 0) return TRM_OK;
    std::string record = "\n-1 " + PsString(PrinterName(element)) + " ";
    record += ScopedParameters(scope, project_, label_, status_, replace_);
    record += " load_file\n";
    openLine_ = false;
    return job_.Section(record);
  }

  int Finish() const {
    std::string tail;
    if (status_ && loaded_ > 0) {
      tail = kEndListLine;
    } else if (openLine_) {
      // The banner starts a line of its own: the printer would take it for more hex data.
      tail = "\n";
    }
    tail += kEndBanner;
    if (int code = job_.Section(tail); code != TRM_OK) return code;
    return loaded_ > 0 ? TRM_OK : job_.Fail(TRM_NO_RESOURCE_LOADED, project_.GetProjectName());
  }

 private:
  std::string PrinterName(const tpsdk::ProjectElement& element) const {
    return ResourcePrinterName(project_.GetFolderName(), project_.GetProjectName(),
                               element.GetName(), element.GetScope(), element.GetType());
  }

  const JobContext& job_;
  const tpsdk::Project& project_;
  const std::string label_;
  const bool status_;
  const bool replace_;
  const bool hex_;
  std::size_t loaded_ = 0;
  bool openLine_ = false;  // the last record ended without a line end
};

}  // namespace

int WriteProjectLoadBody(const JobContext& job, const tpsdk::Project& project, const trmPPS& pps) {
  std::string opening(kStartBanner);
  opening += PrologAndDate();
  if (int code = job.Section(opening); code != TRM_OK) return code;
  LoadBody body(job, project, pps);
  const int code = ForEachSelectedResource(
      project, pps.selectedResources, pps.flags,
      [&](const tpsdk::ProjectElement& element) { return body.Load(element); },
      [&](const tpsdk::ProjectElement& element) { return body.Reference(element); });
  return code == TRM_OK ? body.Finish() : code;
}

}  // namespace trm
