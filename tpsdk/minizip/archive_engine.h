#pragma once
// The archive engine of a project: one object over two container formats, zip (over minizip)
// and tar (with volumes). Each operation starts from a reset state, fills the status fields as
// it goes and leaves the text of its first failure in the error text (empty on success), with
// the failure's format in the error template, which the project's message log uses as the
// message's identity.
//
// The format code keeps the shape of small command-line programs (ZipMain, UnzipMain,
// PdtarMain) called with fixed argument vectors: their options are the interface between the
// engine and the formats. They take the engine they report to as an argument; nothing is
// process-wide, but the caller still holds the process lock around every operation, since
// they work in the current directory.

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "tpsdk/message_log.h"

namespace tpsdk {

class ArchiveEngine;

// Progress: read the engine's status fields; a non-zero answer asks the operation to stop.
using ProgressHook = std::function<int(ArchiveEngine&)>;
// Called before the tar writer starts a volume (short name, folder of the names); non-zero
// cancels.
using VolumeHook =
    std::function<int(ArchiveEngine&, const std::string& shortName, const std::string& folder)>;
// Called with the name of a file that exists already: "N" skips the entry, "A" overwrites it
// and every following one, anything else overwrites this one.
using OverwriteHook = std::function<std::string(ArchiveEngine&, const std::string& fileName)>;

// What an operation is doing, for the progress hook.
struct ArchiveStatus {
  std::string text;  // "Creating archive: …", "_VOLUME_TRANSITION_", …
  long files = 0;
  std::uint64_t totalBytes = 0;
  long filesDone = 0;
  std::uint64_t bytesDone = 0;
  std::string currentFile;
  std::uint64_t currentSize = 0;
  std::uint64_t currentDone = 0;
};

// Arguments of the format programs; argument 0 is the program's name.
using ArgumentVector = std::vector<std::string>;

class ArchiveEngine {
 public:
  explicit ArchiveEngine(std::uintptr_t userData = 0);

  // The four operations; each returns the error text (empty on success).
  std::string Create(const std::string& archive, const std::vector<std::string>& files);
  std::string Extract(const std::string& archive);
  std::string Validate(const std::string& archive);  // extracts the project file entries
  std::string ExtractOne(const std::string& archive, const std::string& entry);

  std::uintptr_t GetUserData() const { return userData_; }
  void Reset();
  void SetTarFormat(bool tar) { tar_ = tar; }
  bool GetTarFormat() const { return tar_; }
  void SetVolumeSize(long blocks) { volumeSize_ = blocks; }  // 0: one file
  long GetVolumeSize() const { return volumeSize_; }
  void SetNameParts(std::string_view folder, std::string_view base, std::string_view separator,
                    std::string_view extension);
  // Builds the full and short names of the volume of that index (from 0).
  void MakeVolumeName(long index);
  const std::string& GetShortVolumeName() const { return shortVolumeName_; }
  const std::string& GetFullVolumeName() const { return fullVolumeName_; }
  const std::string& GetVolumeFolder() const { return volumeFolder_; }
  long GetVolumeCount() const { return volumeCount_; }
  void SetVolumeCount(long count) { volumeCount_ = count; }
  // Marks the running operation cancelled and reports it as tag 86.
  void Cancel();
  bool IsCancelled() const { return cancelled_; }
  void SetProgressHook(ProgressHook hook);  // an empty hook restores the default
  void SetVolumeHook(VolumeHook hook);
  void SetOverwriteHook(OverwriteHook hook);

  // For the format code.
  int CallProgress() { return progress_(*this); }
  int CallVolumeHook() { return volume_(*this, shortVolumeName_, volumeFolder_); }
  std::string AskOverwrite(const std::string& fileName) { return overwrite_(*this, fileName); }
  ArchiveStatus& Status() { return status_; }
  const ArchiveStatus& Status() const { return status_; }
  // Replaces the error text (the zip side: a failure while closing replaces the message).
  void SetError(std::string_view format, std::initializer_list<MessageArg> args = {});
  // Keeps the first failure of the run (the tar side).
  void SetFirstError(std::string_view format, std::initializer_list<MessageArg> args = {});
  bool HasError() const { return !errorText_.empty(); }
  const std::string& ErrorText() const { return errorText_; }
  const std::string& ErrorTemplate() const { return errorTemplate_; }
  // The project file a validation extracted (its path as created).
  const std::string& FoundProjectFile() const { return foundProjectFile_; }
  void SetFoundProjectFile(std::string_view path) { foundProjectFile_ = path; }
  std::uint64_t GetEstimatedLength() const { return estimatedLength_; }
  void SetEstimatedLength(std::uint64_t length) { estimatedLength_ = length; }

  // A file is a zip archive when it begins with "PK"; anything else, also a file that cannot
  // be opened, counts as tar.
  static bool IsTarArchive(const std::string& path);

 private:
  std::string Run(int (*program)(ArchiveEngine&, const ArgumentVector&), ArgumentVector args);

  ArchiveStatus status_;
  std::string errorText_;
  std::string errorTemplate_;
  std::uintptr_t userData_;
  bool tar_ = false;
  long volumeSize_ = 0;
  std::uint64_t estimatedLength_ = 0;
  long volumeCount_ = 0;
  bool cancelled_ = false;
  std::string foundProjectFile_;
  std::string nameFolder_, nameBase_, nameSeparator_, nameExtension_;
  std::string shortVolumeName_, fullVolumeName_, volumeFolder_;
  ProgressHook progress_;
  VolumeHook volume_;
  OverwriteHook overwrite_;
};

// The name zip creation writes: the name given, with ".tpc" when it holds no dot at all.
std::string ZipArchiveName(const std::string& given);

// The format programs. Each returns 0 when it ran without a failure; the failure is in the
// engine's error text.
int ZipMain(ArchiveEngine& engine, const ArgumentVector& args);
int UnzipMain(ArchiveEngine& engine, const ArgumentVector& args);
int PdtarMain(ArchiveEngine& engine, const ArgumentVector& args);

// The text of failures inside the archive code: tag, file or module, reason.
inline constexpr std::string_view kInternalFailure =
    "ERROR (Minizip): Internal - tag: %d, file: %s, reason: %s";

}  // namespace tpsdk
