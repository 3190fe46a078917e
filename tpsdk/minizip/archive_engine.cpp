#include "archive_engine.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

#include "platform/unique_fd.h"

namespace tpsdk {

ArchiveEngine::ArchiveEngine(std::uintptr_t userData) : userData_(userData) {
  SetProgressHook({});
  SetVolumeHook({});
  SetOverwriteHook({});
  Reset();
}

void ArchiveEngine::Reset() {
  status_ = ArchiveStatus{};
  errorText_.clear();
  errorTemplate_.clear();
  foundProjectFile_.clear();
  cancelled_ = false;
}

void ArchiveEngine::SetProgressHook(ProgressHook hook) {
  progress_ = hook ? std::move(hook) : [](ArchiveEngine&) { return 0; };
}

void ArchiveEngine::SetVolumeHook(VolumeHook hook) {
  volume_ = hook ? std::move(hook)
                 : [](ArchiveEngine&, const std::string&, const std::string&) { return 0; };
}

void ArchiveEngine::SetOverwriteHook(OverwriteHook hook) {
  overwrite_ =
      hook ? std::move(hook) : [](ArchiveEngine&, const std::string&) { return std::string("Y"); };
}

void ArchiveEngine::SetNameParts(std::string_view folder, std::string_view base,
                                 std::string_view separator, std::string_view extension) {
  nameFolder_ = folder;
  nameBase_ = base;
  nameSeparator_ = separator;
  nameExtension_ = extension;
}

void ArchiveEngine::MakeVolumeName(long index) {
  char numbers[64];
  std::snprintf(numbers, sizeof numbers, "_%06ld_%06ld", index + 1, volumeCount_);
  shortVolumeName_ = nameBase_ + numbers + nameExtension_;
  fullVolumeName_ = nameFolder_ + nameSeparator_ + shortVolumeName_;
  volumeFolder_ = nameFolder_;
}

void ArchiveEngine::Cancel() {
  cancelled_ = true;
  SetError(kInternalFailure, {86, shortVolumeName_, "CANCELLED"});
}

void ArchiveEngine::SetError(std::string_view format, std::initializer_list<MessageArg> args) {
  errorText_ = FormatMessage(format, args);
  errorTemplate_ = format;
}

void ArchiveEngine::SetFirstError(std::string_view format, std::initializer_list<MessageArg> args) {
  if (!HasError()) SetError(format, args);
}

bool ArchiveEngine::IsTarArchive(const std::string& path) {
  const platform::UniqueFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  if (!fd) return true;
  char magic[2] = {};
  return read(fd.get(), magic, 2) != 2 || magic[0] != 'P' || magic[1] != 'K';
}

std::string ArchiveEngine::Run(int (*program)(ArchiveEngine&, const ArgumentVector&),
                               ArgumentVector args) {
  Reset();
  program(*this, args);
  return errorText_;
}

std::string ArchiveEngine::Create(const std::string& archive,
                                  const std::vector<std::string>& files) {
  ArgumentVector args = tar_ ? ArgumentVector{"pdtar_main", "-cv", "-f", archive}
                             : ArgumentVector{"zip_main", "-o", archive};
  args.insert(args.end(), files.begin(), files.end());
  return Run(tar_ ? PdtarMain : ZipMain, std::move(args));
}

std::string ArchiveEngine::Extract(const std::string& archive) {
  if (IsTarArchive(archive)) return Run(PdtarMain, {"pdtar_main", "-f", archive, "-xvi"});
  return Run(UnzipMain, {"unzip_main", "-E", archive});
}

std::string ArchiveEngine::Validate(const std::string& archive) {
  if (IsTarArchive(archive)) return Run(PdtarMain, {"pdtar_main", "-f", archive, "-xvi", "!"});
  return Run(UnzipMain, {"unzip_main", "-V", archive});
}

std::string ArchiveEngine::ExtractOne(const std::string& archive, const std::string& entry) {
  if (IsTarArchive(archive)) return Run(PdtarMain, {"pdtar_main", "-f", archive, "-xvi", entry});
  return Run(UnzipMain, {"unzip_main", "-A", archive, entry});
}

}  // namespace tpsdk
