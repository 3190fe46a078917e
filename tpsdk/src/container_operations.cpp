// Opening, importing, creating and removing containers. The archive engine works relative to
// the current directory, so every change of it, and every search of a folder, happens under the
// process lock; the file work around the archive is done here.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string>

#include "platform/current_directory.h"
#include "platform/file_helpers.h"
#include "platform/path_parts.h"
#include "platform/process_lock.h"
#include "platform/temp_name.h"
#include "platform/unique_fd.h"
#include "tpsdk/message_catalogue.h"
#include "tpsdk/project.h"
#include "tpsdk/tpsdk.h"

namespace tpsdk {

namespace {

// Archive operations run in another directory: a relative path must be fixed first, while
// the directory cannot change under us.
std::string AbsolutePath(const char* path) {
  const std::lock_guard lock(platform::FileLayerLock());
  std::error_code error;
  const std::filesystem::path absolute = std::filesystem::absolute(path, error);
  return error ? std::string(path) : absolute.string();
}

std::string Join(std::string_view folder, std::string_view name) {
  std::string path(folder);
  path += '/';
  path += name;
  return path;
}

std::string FolderOfPath(const std::string& path) {
  platform::TextObject folder;
  platform::FolderOf(folder, platform::TextObject(path.c_str()));
  return std::string(folder.view());
}

std::string FileNameOfPath(const std::string& path) {
  platform::TextObject name;
  platform::FileNameOf(name, path.c_str());
  return std::string(name.view());
}

// The first project file in a folder; empty when there is none.
std::string FindProjectFile(const std::string& folder) {
  const std::lock_guard lock(platform::FileLayerLock());
  platform::TextObject name;
  if (!platform::FindFirst(name, Join(folder, "*.tpf").c_str())) return {};
  return Join(folder, name.view());
}

// Only a regular file's own bits change: a link's target may lie anywhere.
void MakeWritable(const std::string& path) {
  struct stat info {};
  if (lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode)) chmod(path.c_str(), 0600);
}

bool SameFile(const std::string& a, const std::string& b) {
  if (a == b) return true;
  std::error_code error;
  return std::filesystem::equivalent(a, b, error) && !error;
}

// Copy or move; the folders of the target are made first, a fresh workstation has none yet.
// A move that is not durable skips the folder sync: Print-and-Forget files are deleted once the
// job is written, and one sync per file made placing a large project several times slower.
bool Transfer(const std::string& source, const std::string& target, bool move, bool durable) {
  if (!platform::MakeDirPath(target.c_str())) return false;
  const platform::TextObject from(source.c_str()), to(target.c_str());
  return move ? platform::MoveFileTo(from, to, durable) : platform::CopyFileTo(from, to);
}

// "name_000002_000003.tpv": one volume of a container cut into volumes.
bool IsVolumeName(const std::string& path) {
  constexpr std::string_view kSuffix = "_000000_000000.tpv";
  if (path.size() < kSuffix.size()) return false;
  const std::string_view tail = std::string_view(path).substr(path.size() - kSuffix.size());
  for (std::size_t i = 0; i < kSuffix.size(); ++i) {
    const bool digit = kSuffix[i] == '0';
    if (digit ? !std::isdigit(static_cast<unsigned char>(tail[i])) : tail[i] != kSuffix[i]) {
      return false;
    }
  }
  return tail.substr(8, 6) != "000000";  // a container of no volumes is no volume
}

// Containers hold bare file names: a resource named with folders or ".." would reach outside
// the folder it is looked for in.
bool IsBareName(std::string_view name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of("/\\") == std::string_view::npos;
}

}  // namespace

// --- Callbacks ---------------------------------------------------------------------------------

void Project::InstallArchiveHooks() {
  // Any stop request becomes a cancellation: a stopped operation must never look finished. A
  // request is taken when seen: it stops one operation, not every later one.
  archiveTool_.SetProgressHook([this](ArchiveEngine& engine) {
    const bool stop = cancelRequested_.exchange(false) ||
                      (progressCallback_ && progressCallback_(*this, engine.Status()) != 0);
    if (!stop) return 0;
    if (!engine.IsCancelled()) engine.Cancel();
    return 1;
  });
  archiveTool_.SetVolumeHook(
      [this](ArchiveEngine& engine, const std::string& volumeName, const std::string& folder) {
        if (!queryCallback_ || queryCallback_(*this, volumeName, folder) == 0) return 0;
        if (!engine.IsCancelled()) engine.Cancel();
        return 1;
      });
  archiveTool_.SetOverwriteHook([this](ArchiveEngine&, const std::string& fileName) {
    const std::string path = extractFolder_.empty() ? fileName : Join(extractFolder_, fileName);
    return std::string(MayOverwrite(path) ? (overwriteAll_ ? "A" : "Y") : "N");
  });
}

void Project::SetProgressCallback(ProjectProgressCallback callback) {
  progressCallback_ = std::move(callback);
}

void Project::SetQueryCallback(ProjectQueryCallback callback) {
  queryCallback_ = std::move(callback);
}

void Project::SetOverwriteCallback(ProjectOverwriteCallback callback) {
  overwriteCallback_ = std::move(callback);
}

bool Project::MayOverwrite(const std::string& path) {
  if (overwriteAll_ || !overwriteCallback_) return true;
  switch (overwriteCallback_(*this, path)) {
    case 1:
      return true;
    case 2:
      overwriteAll_ = true;
      return true;
    default:
      return false;
  }
}

bool Project::ReportEngineError() {
  if (!archiveTool_.HasError()) return false;
  log_.AppendEngineMessage(archiveTool_.ErrorTemplate(), archiveTool_.ErrorText());
  return true;
}

void Project::SetArchiveName(const char* containerPath) {
  SetText(archiveName_, containerPath);
  SetVolumeNames(archiveName_);
}

void Project::BeginArchiveOperation() {
  overwriteAll_ = false;
  extractFolder_.clear();
}

// --- Opening ------------------------------------------------------------------------------------

int Project::OpenContainer(const char* containerPath) {
  return ExtractContainer(containerPath, false, false);
}

int Project::OpenContainerPrintAndForget(const char* containerPath) {
  if (!containerPath || !platform::Exists(containerPath)) {
    Log(kError, msg::kCouldNotOpenFile, {containerPath});
    return kError;
  }
  if (printAndForgetPath_.empty()) {
    Log(kError, msg::kPafNotSpecified);
    return GetStatusMask();
  }
  return ExtractContainer(containerPath, true, false);
}

int Project::OpenFolder(const char* folderPath, bool move, bool removeFolder) {
  return ImportFolder(folderPath, false, move, removeFolder);
}

int Project::OpenFolderPrintAndForget(const char* folderPath, bool move, bool removeFolder) {
  return ImportFolder(folderPath, true, move, removeFolder);
}

int Project::ValidateContainer(const char* containerPath) {
  return ExtractContainer(containerPath, false, true);
}

int Project::ExtractContainer(const char* containerPath, bool printAndForget, bool validateOnly) {
  if (!containerPath || !platform::Exists(containerPath)) {
    Log(kError, msg::kCouldNotOpenFile, {containerPath});
    return kError;
  }
  Reset();
  printAndForget_ = printAndForget;
  BeginArchiveOperation();
  const std::string container = AbsolutePath(containerPath);

  platform::TextObject tempName;
  std::string tempFolder;
  if (platform::MakeTempName(tempName, "_x")) tempFolder = tempName.view();
  if (tempFolder.empty() || !platform::MakeDir(tempFolder.c_str())) {
    Log(kError, msg::kCouldNotCreateTempDir, {tempFolder});
    tempFolder.clear();  // not ours: never cleared or removed
  }
  if (!tempFolder.empty()) {
    std::string archive = container;
    {
      const platform::CurrentDirectoryBracket inTemp(tempFolder);
      if (!inTemp.entered()) {
        Log(kError, msg::kCouldNotCreateTempDir, {tempFolder});
      } else {
        SetArchiveName(container.c_str());
        if (IsVolumeName(container)) {
          archive = Join(tempFolder, ".km_volumes_joined");
          JoinVolumes(archive);
        }
        if (!log_.HasError()) archiveTool_.Validate(archive);
        ReportEngineError();
      }
    }
    // Said even after the engine's own text: the operator learns what the container lacks.
    const std::string tempProjectFile = FindProjectFile(tempFolder);
    if (tempProjectFile.empty()) {
      Log(kError, msg::kNoTpfInArchive, {containerPath});
    } else if (!log_.HasError()) {
      SetProjectFilePath(tempProjectFile.c_str());
      ParseProjectFile(tempProjectFile.c_str());
      projectFilePath_ = PlaceOf(kScopeLocal, FileNameOfPath(tempProjectFile));
      loaded_ = true;
      if (!validateOnly && !log_.HasError()) ExtractInto(archive, tempProjectFile);
    }
    TpsdkClearFolder(tempFolder.c_str());
    platform::RemoveDir(tempFolder.c_str());
  }
  return GetStatusMask();
}

// Volumes are read as the one archive they were cut from, joined in order into a private file.
void Project::JoinVolumes(const std::string& joined) {
  platform::UniqueFd out(
      open(joined.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!out.valid()) {
    Log(kError, msg::kCouldNotCreateFile, {joined, std::strerror(errno)});
    return;
  }
  const std::string name = FileNameOfPath(archiveName_);
  archiveTool_.SetVolumeCount(std::stol(name.substr(name.size() - 10, 6)));
  std::vector<char> buffer(1 << 20);
  for (long index = 0; index < archiveTool_.GetVolumeCount() && !log_.HasError(); ++index) {
    archiveTool_.MakeVolumeName(index);
    const std::string& volume = archiveTool_.GetFullVolumeName();
    platform::UniqueFd in(open(volume.c_str(), O_RDONLY | O_CLOEXEC));
    if (!in.valid()) {
      Log(kError, msg::kCouldNotOpenFile, {volume});
      return;
    }
    for (ssize_t got; (got = read(in.get(), buffer.data(), buffer.size())) != 0;) {
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) {
        Log(kError, msg::kCouldNotOpenFile, {volume});
        return;
      }
      if (!platform::WriteAll(out.get(), std::string_view(buffer.data(), got))) {
        Log(kError, msg::kCouldNotCreateFile, {joined, std::strerror(errno)});
        return;
      }
    }
  }
}

// Everything comes out into a private folder beside the project file first: only a container
// that holds every resource places anything, and files are renamed into place, not copied.
void Project::ExtractInto(const std::string& container, const std::string& tempProjectFile) {
  const std::string projectFolder = FolderOfPath(projectFilePath_);
  if (projectFilePath_.empty() || !platform::MakeDirPath(projectFilePath_.c_str())) {
    Log(kError, msg::kCouldNotCreateDir, {projectFolder});
    return;
  }
  std::string staging;
  for (int attempt = 0; attempt < 100 && staging.empty(); ++attempt) {
    std::string name = Join(
        projectFolder, ".km_extract_" + std::to_string(getpid()) + "_" + std::to_string(attempt));
    if (platform::MakeDir(name.c_str())) staging = std::move(name);
  }
  if (staging.empty()) {
    Log(kError, msg::kCouldNotCreateTempDir, {projectFolder});
    return;
  }
  {
    const platform::CurrentDirectoryBracket inStaging(staging);
    if (!inStaging.entered()) {
      Log(kError, msg::kCouldNotCreateTempDir, {staging});
    } else {
      extractFolder_ = projectFolder;  // what the operator is asked about
      archiveTool_.Extract(container);
      extractFolder_.clear();
      ReportEngineError();
    }
  }
  for (const std::unique_ptr<ProjectElement>& element : elements_) {
    if (log_.HasError()) break;
    const std::string name = element->GetName();
    if (!IsBareName(name) || !platform::Exists(Join(staging, name).c_str())) {
      Log(kError, msg::kResourceNotFound, {element->GetName()});
    }
  }
  if (!log_.HasError()) {
    const std::string projectFile = FileNameOfPath(projectFilePath_);
    PlaceFile(tempProjectFile, projectFilePath_, false, true);
    for (const std::unique_ptr<ProjectElement>& element : elements_) {
      if (log_.HasError()) break;
      PlaceResource(*element, Join(staging, element->GetName()));
    }
    // Other files of the container go where every entry used to go: beside the project file.
    for (const std::string& name : platform::ListRegularFiles(staging.c_str())) {
      if (log_.HasError()) break;
      if (name == projectFile || FindElement(name.c_str()) >= 0) continue;
      PlaceFile(Join(staging, name), Join(projectFolder, name), true, false);
    }
  }
  TpsdkClearFolder(staging.c_str());
  platform::RemoveDir(staging.c_str());
}

// A resource goes to the folder of its scope; one already there is replaced only when the
// operator allows it.
void Project::PlaceResource(ProjectElement& element, const std::string& extracted) {
  const std::string target = PlaceOf(element.GetScope(), element.GetName());
  if (target.empty()) return;
  if (printAndForget_) MakeWritable(target);
  if (!PlaceFile(extracted, target, true, false)) return;
  element.SetLocalPath(target.c_str());
  // Print-and-Forget files are removed after the job whatever mode the archive gave them.
  if (printAndForget_) MakeWritable(target);
}

bool Project::PlaceFile(const std::string& source, const std::string& target, bool move,
                        bool replace) {
  if (SameFile(source, target)) return true;
  if (!replace && platform::Exists(target.c_str()) && !MayOverwrite(target)) return false;
  if (Transfer(source, target, move, !printAndForget_)) return true;
  Log(kError, msg::kCouldNotCreateFile, {target, std::strerror(errno)});
  return false;
}

int Project::ImportFolder(const char* folderPath, bool printAndForget, bool move,
                          bool removeFolder) {
  if (!folderPath || !platform::Exists(folderPath)) {
    Log(kError, msg::kCouldNotOpenFile, {folderPath});
    return kError;
  }
  // Messages of an earlier operation must not block this one.
  ClearMessages();
  if (printAndForgetPath_.empty()) Log(kError, msg::kPafNotSpecified);
  if (log_.HasError()) return GetStatusMask();
  Reset();
  printAndForget_ = printAndForget;
  BeginArchiveOperation();

  const std::string folder = folderPath;
  const std::string found = FindProjectFile(folder);
  if (found.empty()) {
    Log(kError, msg::kNoTpfInArchive, {folderPath});
    return GetStatusMask();
  }
  SetProjectFilePath(found.c_str());
  ParseProjectFile(found.c_str());
  if (log_.HasError()) return GetStatusMask();

  const std::string target = PlaceOf(kScopeLocal, FileNameOfPath(found));
  projectFilePath_ = target;
  loaded_ = true;
  if (target.empty() ||
      (!SameFile(found, target) && !Transfer(found, target, move, !printAndForget_))) {
    Log(kError, msg::kCouldNotCreateFile, {found, std::strerror(errno)});
    return GetStatusMask();
  }

  const std::string projectFolder = FolderOfPath(projectFilePath_);
  for (const std::unique_ptr<ProjectElement>& element : elements_) {
    const std::string resourceName = element->GetName();
    if (printAndForget_) element->SetLocalPath(Join(projectFolder, resourceName).c_str());
    const std::string resourceTarget = element->GetLocalPath();
    const std::string source = Join(folder, resourceName);
    if (!IsBareName(resourceName) || !platform::Exists(source.c_str())) {
      Log(kError, msg::kCouldNotOpenFile, {source});
      break;
    }
    if (resourceTarget.empty() || SameFile(source, resourceTarget)) continue;
    if (platform::Exists(resourceTarget.c_str()) && !MayOverwrite(resourceTarget)) continue;
    if (!Transfer(source, resourceTarget, move, !printAndForget_)) {
      Log(kError, msg::kCouldNotCreateFile, {source, std::strerror(errno)});
      break;
    }
  }
  if (!log_.HasError() && removeFolder) {
    TpsdkClearFolder(folderPath);
    if (!platform::RemoveDir(folderPath)) Log(kError, msg::kDirNotRemoved, {folderPath});
  }
  return GetStatusMask();
}

// --- Removing ------------------------------------------------------------------------------------

int Project::RemovePrintAndForget() {
  ClearMessages();
  if (!printAndForget_) Log(kError, msg::kRemovalOnlyPaf);
  if (printAndForgetPath_.empty()) Log(kError, msg::kPafNotSpecified);
  if (log_.HasError()) return GetStatusMask();

  std::string folder, parent;
  for (const std::unique_ptr<ProjectElement>& element : elements_) {
    if (element->GetScope() != kScopeLocal) {
      Log(kError, msg::kNotLocalScope, {element->GetName()});
      break;
    }
    const std::string path = element->GetLocalPath();
    if (!platform::Exists(path.c_str())) continue;
    if (folder.empty()) {
      folder = FolderOfPath(path);
      parent = FolderOfPath(folder);
    }
    MakeWritable(path);
    if (!platform::RemoveFile(platform::TextObject(path.c_str()))) {
      Log(kError, msg::kFileNotRemoved, {path});
    }
  }
  if (!log_.HasError()) {
    MakeWritable(projectFilePath_);
    if (!platform::RemoveFile(platform::TextObject(projectFilePath_.c_str()))) {
      Log(kError, msg::kFileNotRemoved, {projectFilePath_});
    }
  }
  if (log_.HasError()) return GetStatusMask();
  if (folder.empty() || !platform::Exists(folder.c_str())) {
    Log(kError, msg::kDirNotLocated, {folder});
  } else {
    TpsdkClearFolder(folder.c_str());
    if (platform::RemoveDir(folder.c_str())) {
      platform::RemoveDir(parent.c_str());
    } else {
      Log(kError, msg::kDirNotRemoved, {folder});
    }
  }
  return GetStatusMask();
}

// --- Creating ------------------------------------------------------------------------------------

int Project::CreateContainer(const char* containerPath) {
  ClearMessages();
  BeginArchiveOperation();
  if (!containerPath || !*containerPath) {
    Log(kError, msg::kCouldNotOpenFile, {containerPath});
    return GetStatusMask();
  }
  // A project file written only for the container goes to a private folder: the current one
  // may hold a file of that name, and the folder is removed again afterwards.
  std::string exportFolder;
  const std::string savedPath = projectFilePath_;
  const bool savedExport = exportToTemporary_;
  if (projectFilePath_.empty() || exportToTemporary_) {
    exportToTemporary_ = true;
    platform::TextObject folder;
    if (!platform::MakeTempDir(folder)) {
      Log(kError, msg::kCouldNotCreateTempDir, {folder});
      return GetStatusMask();
    }
    exportFolder = folder.view();
    const platform::CurrentDirectoryBracket inFolder(exportFolder);
    if (inFolder.entered())
      ExportProjectFileName();
    else
      Log(kError, msg::kCouldNotCreateTempDir, {exportFolder});
  }
  std::vector<std::string> files;
  if (GetStatusMask() == 0) {
    WriteProjectFile(projectFilePath_.c_str());
    files.push_back(projectFilePath_);
    if (!platform::Exists(projectFilePath_.c_str())) {
      Log(kError, msg::kCouldNotOpenFile, {projectFilePath_});
    }
  }
  if (!log_.HasError()) {
    for (const std::unique_ptr<ProjectElement>& element : elements_) {
      const std::string path = element->GetLocalPath();
      if (!platform::Exists(path.c_str())) {
        Log(kError, msg::kCouldNotOpenFile, {path});
        break;
      }
      files.push_back(path);
    }
  }
  if (!log_.HasError()) {
    // The suffix rule looks at the name as given, not at the folders an absolute path adds.
    const std::string given =
        archiveTool_.GetTarFormat() ? std::string(containerPath) : ZipArchiveName(containerPath);
    WriteArchive(AbsolutePath(given.c_str()), files);
  }
  if (!exportFolder.empty()) {
    TpsdkClearFolder(exportFolder.c_str());
    platform::RemoveDir(exportFolder.c_str());
    // The project is saved later where it belongs, not at the file just removed.
    projectFilePath_ = savedPath;
    exportToTemporary_ = savedExport;
  }
  return GetStatusMask();
}

// The archive is written under a private name and takes the container's name only when whole:
// a failed or cancelled run leaves an older container of that name as it was. Volumes are
// written under their own names; a failed run removes those it made.
void Project::WriteArchive(const std::string& container, const std::vector<std::string>& files) {
  const std::lock_guard lock(platform::FileLayerLock());
  SetArchiveName(container.c_str());
  const bool volumes = archiveTool_.GetTarFormat() && archiveTool_.GetVolumeSize() > 0;
  const std::string staging =
      volumes ? container
              : platform::Beside(container, "." + FileNameOfPath(container) + "." +
                                                std::to_string(getpid()) + ".partial");
  archiveTool_.Create(staging, files);
  const bool failed = archiveTool_.HasError();
  if (failed) {
    // The operator chose the container's name; the private one means nothing to them.
    std::string text = archiveTool_.ErrorText();
    for (std::size_t at = 0; !volumes && (at = text.find(staging, at)) != std::string::npos;
         at += container.size()) {
      text.replace(at, staging.size(), container);
    }
    log_.AppendEngineMessage(archiveTool_.ErrorTemplate(), text);
  }
  if (volumes) {
    if (!failed) return;
    for (long index = 0;; ++index) {
      archiveTool_.MakeVolumeName(index);
      const std::string& volume = archiveTool_.GetFullVolumeName();
      const bool removed = platform::RemoveFile(platform::TextObject(volume.c_str()));
      if (!removed && index >= archiveTool_.GetVolumeCount()) break;
    }
    return;
  }
  if (!failed && rename(staging.c_str(), container.c_str()) != 0) {
    Log(kError, msg::kCouldNotCreateFile, {container, std::strerror(errno)});
  }
  platform::RemoveFile(platform::TextObject(staging.c_str()));
}

// --- One entry --------------------------------------------------------------------------------

int Project::ExtractArchiveEntry(const char* containerPath, std::size_t index) {
  ClearMessages();
  BeginArchiveOperation();
  const std::string name = GetArchiveEntryName(index);
  if (!containerPath || !platform::Exists(containerPath)) {
    Log(kError, msg::kCouldNotOpenFile, {containerPath});
    return GetStatusMask();
  }
  if (name.empty()) {
    Log(kError, msg::kZipBadIndex, {index, containerPath});
    return GetStatusMask();
  }
  const std::string target =
      index == 0 ? projectFilePath_ : PlaceOf(elements_[index - 1]->GetScope(), name);
  const std::string folder = FolderOfPath(target);
  if (target.empty() || !platform::MakeDirPath(target.c_str())) {
    Log(kError, msg::kCouldNotCreateDir, {folder});
    return GetStatusMask();
  }
  const std::string container = AbsolutePath(containerPath);
  const platform::CurrentDirectoryBracket inFolder(folder);
  if (!inFolder.entered()) {
    Log(kError, msg::kCouldNotOpenFile, {folder});
    return GetStatusMask();
  }
  extractFolder_ = folder;
  archiveTool_.ExtractOne(container, name);
  extractFolder_.clear();
  ReportEngineError();
  return GetStatusMask();
}

}  // namespace tpsdk
