#pragma once
// Thin wrappers over the file system used by every library; failures are results, never messages.

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "platform/text_object.h"

namespace platform {

// Seeds the temporary-name generator with the process id and resets the text hook.
void FileLayerInit();
void FileLayerFinish();

// The one process-wide lock held around every change of the current directory.
std::recursive_mutex& FileLayerLock();

// Runs with the current directory changed to a work folder, under the process lock; the old
// directory is restored on leaving.
class CurrentDirectoryBracket {
 public:
  explicit CurrentDirectoryBracket(const std::string& workFolder);
  ~CurrentDirectoryBracket();
  CurrentDirectoryBracket(const CurrentDirectoryBracket&) = delete;
  CurrentDirectoryBracket& operator=(const CurrentDirectoryBracket&) = delete;
  bool entered() const { return entered_; }

 private:
  std::unique_lock<std::recursive_mutex> lock_;
  std::string saved_;
  bool entered_ = false;
};

void SleepMs(unsigned milliseconds);
bool GetCwd(TextObject& target);
bool SetCwd(const char* path);

// The temporary folder: $TMPDIR, else /tmp. Never ends in a separator (except "/").
std::string TempDirectory();
// Temporary name: folder + "/" + prefix + "%X_%X_%X_%X" (pid, seconds, milliseconds, random).
bool MakeTempName(TextObject& target, const char* prefix);
bool MakeTempDir(TextObject& target);

bool MakeDir(const char* path);
bool RemoveDir(const char* path);
// Creates every missing folder of the folder part of a file path; true when all exist. Only "/"
// separates folders: a backslash is an ordinary character of a Linux file name.
bool MakeDirPath(const char* filePath);
bool FindFirst(TextObject& target, const char* pattern);
bool CopyFileTo(const TextObject& source, const TextObject& target);
bool MoveFileTo(const TextObject& source, const TextObject& target);

enum class RenameResult { kDone, kTargetExists, kFailed };
// Gives the source the target's name only while nothing has that name; an existing target,
// whatever it is, stays as it is.
RenameResult RenameNoReplace(const char* source, const char* target);
bool RemoveFile(const TextObject& path);
bool Exists(const char* path);

// Whole file in binary mode; nothing when it cannot be opened, sized or fully read.
std::optional<std::vector<unsigned char>> ReadWholeFile(const char* path);

bool IsSeparator(char c);
void FileNameOf(TextObject& target, const char* path);
void FolderOf(TextObject& target, const TextObject& path);

// 1 when the whole text matches the pattern ("*", "?", "[...]" with "^" and ranges, "\"
// quoting); case counts.
int WildMatch(const char* text, const char* pattern);

}  // namespace platform
