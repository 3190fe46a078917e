// Scope paths: normalising them, splitting them into the three scope directory lists, and
// reconciling the stub file's paths with the project paths a project file names.
#include <array>
#include <string>
#include <string_view>
#include <vector>

#include "tpsdk/message_catalogue.h"
#include "tpsdk/project.h"
#include "tpsdk/text_list.h"

namespace tpsdk {

namespace {

constexpr std::string_view kFolderPlaceholder = "$$FOLDER.";
constexpr std::string_view kProjectPlaceholder = "$$PROJECT.";

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

void ReplaceAll(std::string& text, std::string_view search, std::string_view replacement) {
  std::string out;
  std::size_t from = 0;
  for (std::size_t at; (at = text.find(search, from)) != std::string::npos;
       from = at + search.size()) {
    out.append(text, from, at - from);
    out += replacement;
  }
  out.append(text, from);
  text = std::move(out);
}

// Both the stub file's form (no trailing separator) and the form SetProjectPaths stores (one
// trailing "/", backslashes turned) name the same folder: they are compared in one form.
std::string ComparableForm(std::string_view path) {
  std::string form;
  Project::ExpandProjectPath(form, path);
  return form;
}

constexpr std::array<std::string_view, 3> kMismatchMessages = {
    msg::kLocalPathMismatch, msg::kFolderPathMismatch, msg::kGlobalPathMismatch};
constexpr std::array<std::string_view, 3> kPathMissingMessages = {
    msg::kLocalPathMissing, msg::kFolderPathMissing, msg::kGlobalPathMissing};

}  // namespace

void Project::NormalisePath(std::string& target, std::string_view path) {
  std::string out;
  constexpr std::string_view kOsMarker = "%os%";
  const std::size_t marker = path.find(kOsMarker);
  if (marker != std::string_view::npos && path.size() > 6) {
    // "%os%" and one separator, then the drive letter: "%os%/d/res" is "d:/res".
    const std::size_t rest = marker + kOsMarker.size() + 1;
    if (rest < path.size()) {
      out = path.substr(rest);
      out.insert(1, 1, ':');
    }
  } else {
    out = path;
  }
  if (Contains(out, ":")) {
    for (char& c : out) {
      if (c == '/') c = '\\';
    }
  }
  ReplaceAll(out, "\\\\", "\\");
  if (!out.empty() && (out.back() == '\\' || out.back() == '/')) out.pop_back();
  target = std::move(out);
}

void Project::ExpandProjectPath(std::string& target, std::string_view path) {
  std::string out;
  NormalisePath(out, path);
  // An empty path stays "not given" rather than becoming the root folder.
  if (!out.empty()) {
    for (char& c : out) {
      if (c == '\\') c = '/';
    }
    out += '/';
  }
  target = std::move(out);
}

void Project::DeriveScopeDirectories(bool byOrder) {
  localDirs_.clear();
  folderDirs_.clear();
  globalDirs_.clear();
  TextSplitter parts(stubPaths_, "|");
  std::string_view part;
  for (std::size_t index = 0; parts.Next(part); ++index) {
    if (byOrder) {
      if (index == 0) localDirs_.emplace_back(part);
      if (index == 1) folderDirs_.emplace_back(part);
      if (index == 2) globalDirs_.emplace_back(part);
      if (index >= 2) break;
    } else if (Contains(part, kFolderPlaceholder)) {
      (Contains(part, kProjectPlaceholder) ? localDirs_ : folderDirs_).emplace_back(part);
    } else {
      globalDirs_.emplace_back(part);
    }
  }
}

bool Project::CheckProjectPaths() {
  if (projectPaths_.size() < 3) projectPaths_.resize(3);
  const bool anySet =
      !projectPaths_[0].empty() || !projectPaths_[1].empty() || !projectPaths_[2].empty();
  if (!anySet) return true;
  if (projectType_ == kProjectKora) {
    Log(kError, msg::kKoraProjectPaths);
    return false;
  }
  if (HasAllProjectPaths()) return true;
  Log(kError, msg::kAllProjectPathsNeeded);
  for (std::size_t scope = 0; scope < 3; ++scope) {
    if (projectPaths_[scope].empty()) Log(kError, kPathMissingMessages[scope]);
  }
  return false;
}

bool Project::HasAllProjectPaths() const {
  return projectPaths_.size() >= 3 && !projectPaths_[0].empty() && !projectPaths_[1].empty() &&
         !projectPaths_[2].empty();
}

int Project::MatchStubAndProjectPaths(int type, int action) {
  int result = 0;
  bool stubComplete = false;
  std::array<std::string, 3> stub;
  if (type >= kProjectPs && type <= kProjectPpmlGa) {
    stub = stubTypePaths_[type - 1];
    stubComplete = !stub[0].empty() && !stub[1].empty() && !stub[2].empty();
    if (!stubComplete) {
      Log(kError, msg::kStubMissingTypePaths, {ProjectTypeName(type)});
      result = kError;
    }
  }
  const int mismatchLevel = action == kMismatchReject ? kError : kWarning;
  const bool projectPathsPresent = HasAllProjectPaths();
  const std::array<std::string, 3> fromProject =
      projectPathsPresent
          ? std::array<std::string, 3>{projectPaths_[0], projectPaths_[1], projectPaths_[2]}
          : std::array<std::string, 3>{};

  if (stubComplete && projectPathsPresent) {
    bool differs = false;
    for (std::size_t scope = 0; scope < 3; ++scope) {
      std::string named = stub[scope];
      ReplaceAll(named, kFolderPlaceholder, folderName_);
      ReplaceAll(named, kProjectPlaceholder, projectName_);
      if (ComparableForm(named) != ComparableForm(fromProject[scope])) {
        Log(mismatchLevel, kMismatchMessages[scope], {named, fromProject[scope]});
        result = mismatchLevel;
        differs = true;
      }
    }
    if (action == kMismatchUseProjectFile) {
      UseScopePaths(fromProject);
    } else if (!differs || action == kMismatchUseStub) {
      UseScopePaths(stub);
    }
  } else if (stubComplete) {
    UseScopePaths(stub);
  } else if (action == kMismatchUseProjectFile && projectPathsPresent) {
    UseScopePaths(fromProject);
  }
  return result;
}

void Project::UseScopePaths(const std::array<std::string, 3>& paths) {
  stubPaths_.clear();
  for (const std::string& path : paths) {
    stubPaths_ += path;
    stubPaths_ += '|';
  }
  DeriveScopeDirectories(true);
}

int Project::SetProjectType(int code) {
  if (code < kProjectKora || code > kProjectPpmlGa) {
    Log(kError, msg::kInvalidTypeCode, {code});
    return kError;
  }
  projectType_ = code;
  if (CheckProjectPaths()) MatchStubAndProjectPaths(projectType_, pathMismatchAction_);
  return 0;
}

int Project::SetPathMismatchAction(int code) {
  if (code < kMismatchReject || code > kMismatchUseProjectFile) {
    Log(kError, msg::kInvalidMismatchAction, {code});
    return kError;
  }
  pathMismatchAction_ = code;
  return 0;
}

int Project::SetProjectPaths(const char* local, const char* folder, const char* global) {
  if (!local || !folder || !global) {
    Log(kError, msg::kLocalPathMissing);
    projectPaths_.assign(3, std::string());
    return kError;
  }
  std::vector<std::string> expanded(3);
  ExpandProjectPath(expanded[0], local);
  ExpandProjectPath(expanded[1], folder);
  ExpandProjectPath(expanded[2], global);
  projectPaths_ = std::move(expanded);
  return 0;
}

const char* Project::GetLocalProjectPath() const {
  return projectPaths_.size() > 0 ? projectPaths_[0].c_str() : nullptr;
}

const char* Project::GetFolderProjectPath() const {
  return projectPaths_.size() > 1 ? projectPaths_[1].c_str() : nullptr;
}

const char* Project::GetGlobalProjectPath() const {
  return projectPaths_.size() > 2 ? projectPaths_[2].c_str() : nullptr;
}

const std::array<std::string, 3>& Project::GetStubTypePaths(int type) const {
  static const std::array<std::string, 3> kNone;
  return type >= kProjectPs && type <= kProjectPpmlGa ? stubTypePaths_[type - 1] : kNone;
}

}  // namespace tpsdk
