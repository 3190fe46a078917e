#pragma once
// How the project jobs and the printable container find, open and close a project.
#include <memory>
#include <string>
#include <string_view>

#include "frame/records.h"
#include "tpsdk/project.h"

namespace trm {

// The run file whose scope paths the project is opened with: the local installation's
// "src/mtbdos.run" under KORAPath, or the stub file.
std::string ProjectRunFile(const trmPPS& pps);

// TRM_OK, or TRM_INVALID_PARAMETER (set and logged) naming the missing KORAPath or stubPath,
// then the missing outputPath: the checks of the jobs that open a project.
int CheckOpeningParameters(std::string_view operation, const trmPPS* pps, const trmVOS* vos);

// TRM_OK, or TRM_INVALID_PARAMETER (set and logged) naming the first of folderName,
// projectName and outputPath that is missing: the checks of the jobs that name a project on the
// printer without opening it.
int CheckPrinterProjectParameters(std::string_view operation, const trmPPS* pps, const trmVOS* vos);

// A project opened for one job. Closing it removes what opening a container unpacked, then
// destroys the project, on every path.
class OpenedProject {
 public:
  OpenedProject() = default;
  ~OpenedProject();
  OpenedProject(const OpenedProject&) = delete;
  OpenedProject& operator=(const OpenedProject&) = delete;

  // Creates the project from the run file and opens it by the trmPPS mode; TRM_OK, or the
  // failure code with its status and detail set (the SDK's messages logged on an open error).
  // Meant for a job's body: WriteJob logs the final message.
  int Open(std::string_view operation, const trmPPS& pps);

  tpsdk::Project& project() const { return *project_; }

 private:
  std::unique_ptr<tpsdk::Project> project_;
  bool removeExtraction_ = false;
};

}  // namespace trm
