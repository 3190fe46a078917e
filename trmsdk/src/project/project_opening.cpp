#include "project/project_opening.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <optional>
#include <vector>

#include "frame/debug_log.h"
#include "frame/job_file.h"
#include "frame/status.h"
#include "platform/path_kind.h"
#include "stream/wildcard.h"
#include "tpsdk/tpsdk.h"
#include "trm.h"

namespace trm {
namespace {

constexpr std::string_view kFolderMark = "$$FOLDER.";
constexpr std::string_view kProjectMark = "$$PROJECT.";
// The SDK's status mask bit of an error.
constexpr int kSdkError = 8;

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

std::vector<std::string> SplitPaths(const std::string& joined) {
  std::vector<std::string> paths;
  std::size_t start = 0;
  for (std::size_t bar; (bar = joined.find('|', start)) != std::string::npos; start = bar + 1) {
    if (bar > start) paths.push_back(joined.substr(start, bar - start));
  }
  if (start < joined.size()) paths.push_back(joined.substr(start));
  return paths;
}

std::string InFolder(const std::string& folder, std::string_view name) {
  std::string path = folder;
  if (!path.empty() && path.back() != '/') path.push_back('/');
  path.append(name);
  return path;
}

// The first project file of the folder in the folder's own order. Read through the folder's
// entries rather than by changing the current directory, which other threads rely on; only
// regular files count, so a link cannot lead the job out of the project's folder.
std::optional<std::string> FirstProjectFile(const std::string& folder) {
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), &closedir);
  if (!dir) return std::nullopt;
  while (const dirent* entry = readdir(dir.get())) {
    struct stat info {};
    if (WildcardMatch("*.tpf", entry->d_name) &&
        fstatat(dirfd(dir.get()), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(info.st_mode)) {
      return InFolder(folder, entry->d_name);
    }
  }
  return std::nullopt;
}

// The project file of folder/project: the first scope path that names both is searched.
std::optional<std::string> FindProjectByNames(const tpsdk::Project& project,
                                              const std::string& folder, const std::string& name) {
  for (std::string path : SplitPaths(project.GetStubPaths())) {
    if (path.find(kFolderMark) == std::string::npos ||
        path.find(kProjectMark) == std::string::npos) {
      continue;
    }
    ReplaceAll(path, kFolderMark, folder);
    ReplaceAll(path, kProjectMark, name);
    if (std::optional<std::string> file = FirstProjectFile(path)) return file;
  }
  return std::nullopt;
}

bool IsExistingFile(const OptionalText& path) {
  return IsSetText(path) && platform::KindOf(path->c_str()) == platform::PathKind::kRegular;
}

}  // namespace

std::string ProjectRunFile(const trmPPS& pps) {
  if (!(pps.flags & TRM_PPS_USE_STUB) && IsSetText(pps.KORAPath)) {
    return *pps.KORAPath + "src/mtbdos.run";
  }
  return TextOrEmpty(pps.stubPath);
}

int CheckOpeningParameters(std::string_view operation, const trmPPS* pps, const trmVOS* vos) {
  if (!pps) return MissingParameter(operation, "trmPPS.KORAPath");
  if (pps->flags & TRM_PPS_USE_STUB) {
    if (!IsSetText(pps->stubPath)) return MissingParameter(operation, "trmPPS.stubPath");
  } else if (!IsSetText(pps->KORAPath) && !IsSetText(pps->stubPath)) {
    return MissingParameter(operation, "trmPPS.KORAPath");
  }
  if (!vos || !IsSetText(vos->outputPath)) {
    return MissingParameter(operation, "trmVOS.outputPath");
  }
  return TRM_OK;
}

OpenedProject::~OpenedProject() {
  if (project_ && removeExtraction_) project_->RemovePrintAndForget();
}

int OpenedProject::Open(std::string_view operation, const trmPPS& pps) {
  const std::string runFile = ProjectRunFile(pps);
  project_ = tpsdk::TpsdkCreateProject(runFile.c_str());
  if (!project_) return SetStatus(TRM_ACCESS_PROBLEM, operation, runFile);

  std::string detail;
  std::string typeMessage;
  int mask = 0;
  switch (pps.processingMode) {
    case TRM_MODE_BY_NAMES: {
      if (!IsSetText(pps.folderName)) {
        return SetStatus(TRM_INVALID_PARAMETER, operation, "trmPPS.folderName");
      }
      if (!IsSetText(pps.projectName)) {
        return SetStatus(TRM_INVALID_PARAMETER, operation, "trmPPS.projectName");
      }
      detail = *pps.folderName + "/" + *pps.projectName;
      const std::optional<std::string> file =
          FindProjectByNames(*project_, *pps.folderName, *pps.projectName);
      if (!file) return SetStatus(TRM_PROJECT_NOT_FOUND, operation, detail);
      if (tpsdk::TpsdkProjectTypeOfFile(typeMessage, file->c_str()) != 0) {
        return SetStatus(TRM_NOT_KORA_PROJECT, operation, detail);
      }
      mask = project_->OpenProjectFile(file->c_str());
      break;
    }
    case TRM_MODE_PROJECT_FILE:
      detail = TextOrEmpty(pps.projectFile);
      if (!IsExistingFile(pps.projectFile)) {
        return SetStatus(TRM_PROJECT_NOT_FOUND, operation, detail);
      }
      if (tpsdk::TpsdkProjectTypeOfFile(typeMessage, detail.c_str()) != 0) {
        return SetStatus(TRM_NOT_KORA_PROJECT, operation, detail);
      }
      mask = project_->OpenProjectFile(detail.c_str());
      break;
    case TRM_MODE_CONTAINER:
      detail = TextOrEmpty(pps.containerFile);
      if (!IsExistingFile(pps.containerFile)) {
        return SetStatus(TRM_PROJECT_NOT_FOUND, operation, detail);
      }
      if (tpsdk::TpsdkProjectTypeOfContainer(typeMessage, detail.c_str()) != 0) {
        return SetStatus(TRM_NOT_KORA_PROJECT, operation, detail);
      }
      mask = project_->OpenContainerPrintAndForget(detail.c_str());
      break;
    default:
      return SetStatus(TRM_INVALID_MODE, operation, std::to_string(pps.processingMode));
  }
  if (mask & kSdkError) {
    SetStatus(TRM_PROJECT_OPEN_PROBLEM, operation, detail);
    WriteDebugLog("TPSDK - OpenProject messages:");
    WriteDebugLog(project_->GetMessages());
    return TRM_PROJECT_OPEN_PROBLEM;
  }
  removeExtraction_ = pps.processingMode == TRM_MODE_CONTAINER;
  return TRM_OK;
}

int CheckPrinterProjectParameters(std::string_view operation, const trmPPS* pps,
                                  const trmVOS* vos) {
  if (!pps || !IsSetText(pps->folderName)) {
    return MissingParameter(operation, "trmPPS.folderName");
  }
  if (!IsSetText(pps->projectName)) return MissingParameter(operation, "trmPPS.projectName");
  if (!vos || !IsSetText(vos->outputPath)) {
    return MissingParameter(operation, "trmVOS.outputPath");
  }
  return TRM_OK;
}

}  // namespace trm
