// Where a project's files live: the candidate folders of each scope, and the resolution of a
// file name to the nearest scope that holds it.

#include <string>

#include "platform/file_helpers.h"
#include "platform/path_parts.h"
#include "tpsdk/message_catalogue.h"
#include "tpsdk/project.h"

namespace tpsdk {

namespace {

constexpr std::string_view kFolderMark = "$$FOLDER.";
constexpr std::string_view kProjectMark = "$$PROJECT.";

// Both placeholders in one pass, so that a name holding the other placeholder stays as it is.
std::string ReplacePlaceholders(std::string_view path, std::string_view folder,
                                std::string_view project, bool replaceProject) {
  std::string out;
  out.reserve(path.size() + folder.size() + project.size());
  for (std::size_t i = 0; i < path.size();) {
    if (path.substr(i).starts_with(kFolderMark)) {
      out += folder;
      i += kFolderMark.size();
    } else if (replaceProject && path.substr(i).starts_with(kProjectMark)) {
      out += project;
      i += kProjectMark.size();
    } else {
      out += path[i++];
    }
  }
  return out;
}

TextList Candidates(const std::vector<std::string>& dirs, std::string_view folder,
                    std::string_view project, bool replaceProject, bool existingOnly) {
  TextList list;
  for (const std::string& dir : dirs) {
    std::string path = ReplacePlaceholders(dir, folder, project, replaceProject);
    if (!existingOnly || platform::Exists(path.c_str())) list.Append(path);
  }
  return list;
}

// A ".." part would lead out of the scope folders, where removing or extracting a resource
// must never reach.
bool LeavesFolder(std::string_view name) {
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = name.find('/', start);
    if (end == std::string_view::npos) end = name.size();
    if (name.substr(start, end - start) == "..") return true;
    start = end + 1;
  }
  return false;
}

}  // namespace

TextList Project::GetLocalDirectories(std::string_view folder, std::string_view project,
                                      bool existingOnly) const {
  if (printAndForget_) {
    return Candidates({printAndForgetPath_}, folder, project, true, existingOnly);
  }
  return Candidates(localDirs_, folder, project, true, existingOnly);
}

TextList Project::GetFolderDirectories(std::string_view folder, bool existingOnly) const {
  return Candidates(folderDirs_, folder, {}, false, existingOnly);
}

TextList Project::GetGlobalDirectories(bool existingOnly) const {
  return Candidates(globalDirs_, {}, {}, false, existingOnly);
}

void Project::ResolveIn(const TextList& dirs, std::string& target, std::string_view fileName,
                        bool mustExist) const {
  for (const std::string& dir : dirs.Items()) {
    std::string path = dir + "/";
    path += fileName;
    if (platform::Exists(path.c_str())) {
      target = std::move(path);
      return;
    }
  }
  if (!mustExist && dirs.Count() > 0) target = dirs.Items().front() + "/" + std::string(fileName);
}

void Project::ResolveLocal(std::string& target, std::string_view fileName, bool mustExist) const {
  target.clear();
  if (folderName_.empty() || projectName_.empty()) return;
  if (LeavesFolder(fileName) || LeavesFolder(folderName_) || LeavesFolder(projectName_)) return;
  ResolveIn(GetLocalDirectories(folderName_, projectName_, false), target, fileName, mustExist);
}

void Project::ResolveFolder(std::string& target, std::string_view fileName, bool mustExist) const {
  target.clear();
  if (folderName_.empty() || projectName_.empty()) return;
  if (LeavesFolder(fileName) || LeavesFolder(folderName_)) return;
  ResolveIn(GetFolderDirectories(folderName_, false), target, fileName, mustExist);
}

void Project::ResolveGlobal(std::string& target, std::string_view fileName, bool mustExist) const {
  target.clear();
  if (folderName_.empty() || projectName_.empty()) return;
  if (LeavesFolder(fileName)) return;
  ResolveIn(GetGlobalDirectories(false), target, fileName, mustExist);
}

std::string Project::PlaceOf(int scope, std::string_view fileName) const {
  using Resolver = void (Project::*)(std::string&, std::string_view, bool) const;
  const Resolver resolve = scope == kScopeFolder   ? &Project::ResolveFolder
                           : scope == kScopeGlobal ? &Project::ResolveGlobal
                                                   : &Project::ResolveLocal;
  std::string target;
  (this->*resolve)(target, fileName, true);
  if (target.empty()) (this->*resolve)(target, fileName, false);
  return target;
}

bool Project::ExistsInLocal(std::string_view name) const {
  std::string path;
  ResolveLocal(path, name, true);
  return !path.empty();
}

bool Project::ExistsInFolder(std::string_view name) const {
  std::string path;
  ResolveFolder(path, name, true);
  return !path.empty();
}

bool Project::ExistsInGlobal(std::string_view name) const {
  std::string path;
  ResolveGlobal(path, name, true);
  return !path.empty();
}

int Project::GetScopeMask(std::string_view name) const {
  return (ExistsInLocal(name) ? 1 : 0) | (ExistsInFolder(name) ? 2 : 0) |
         (ExistsInGlobal(name) ? 4 : 0);
}

bool Project::IsInSeveralScopes(std::string_view name) const {
  const int mask = GetScopeMask(name);
  return mask != 0 && mask != 1 && mask != 2 && mask != 4;
}

void Project::WarnScopeHiding(std::string_view name) {
  if (!IsInSeveralScopes(name)) return;
  std::string local, folder, global;
  ResolveLocal(local, name, true);
  ResolveFolder(folder, name, true);
  ResolveGlobal(global, name, true);
  if (!local.empty() && !folder.empty()) Log(kWarning, msg::kLocalHidesFolder, {local, folder});
  if (!local.empty() && !global.empty()) Log(kWarning, msg::kLocalHidesGlobal, {local, global});
  if (!folder.empty() && !global.empty()) {
    Log(kWarning, msg::kFolderHidesGlobal, {folder, global});
  }
}

int Project::CreateLocalDirectory() {
  if (folderName_.empty() || projectName_.empty()) return GetStatusMask();
  constexpr std::string_view kDummy = "foo.bar";
  std::string paths[3];
  ResolveLocal(paths[0], kDummy, true);
  if (paths[0].empty()) ResolveLocal(paths[0], kDummy, false);
  if (!printAndForget_) {
    ResolveFolder(paths[1], kDummy, true);
    if (paths[1].empty()) ResolveFolder(paths[1], kDummy, false);
    ResolveGlobal(paths[2], kDummy, true);
    if (paths[2].empty()) ResolveGlobal(paths[2], kDummy, false);
  }
  for (const std::string& path : paths) {
    if (path.empty()) continue;
    if (!platform::MakeDirPath(path.c_str())) {
      Log(kError, msg::kCouldNotCreateDir, {platform::FolderOfFile(path)});
      break;
    }
  }
  return GetStatusMask();
}

}  // namespace tpsdk
