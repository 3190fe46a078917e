#pragma once
// Thin wrappers over the file system; failures are results (with errno where said), never
// messages: the callers word them.

#include <cstdint>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text_object.h"

namespace platform {

// True when the folder was made; an existing one is a failure.
bool MakeDir(const char* path);
// True when the empty folder was removed; a non-empty one stays and is a failure.
bool RemoveDir(const char* path);
// Creates every missing folder of the folder part of a file path; true when all exist. Only "/"
// separates folders: a backslash is an ordinary character of a Linux file name.
bool MakeDirPath(const char* filePath);
// Clears target; true with the smallest matching name (without folder) when an entry of the
// pattern's folder matches its last part; never descends into subfolders. System wildcards
// (fnmatch, no flags), on purpose unlike WildMatch: "[!...]" negates as "[^...]" does, where
// WildMatch takes "!" as a member. Kept so: patterns written for it follow the system's rules.
bool FindFirst(TextObject& target, const char* pattern);
// Names of the regular files directly in a folder (links and folders left out), sorted; none
// when it cannot be read.
std::vector<std::string> ListRegularFiles(const char* folder);
// Copies source over target (replaced when it exists); true on success.
bool CopyFileTo(const TextObject& source, const TextObject& target);
// Moves source to target, replacing it, also across file systems; a failure leaves the source
// and the old target as they were. Without syncFolder the rename is not forced to the disk: for
// files that only live until the job that uses them is written.
bool MoveFileTo(const TextObject& source, const TextObject& target, bool syncFolder = true);

enum class RenameResult { kDone, kTargetExists, kFailed };
// Gives the source the target's name only while nothing has that name; an existing target,
// whatever it is, stays as it is.
RenameResult RenameNoReplace(const char* source, const char* target);
// True when the name was removed; never removes a folder.
bool RemoveFile(const TextObject& path);
// True when the path can be examined (file, folder or anything else); follows links.
bool Exists(const char* path);

// Whole file in binary mode; nothing when it is not a regular file, cannot be opened, sized
// or fully read.
std::optional<std::vector<unsigned char>> ReadWholeFile(const char* path);
// Whole regular file as text; nothing when it is anything else (a FIFO never blocks), cannot
// be opened or fully read, or is larger than maxBytes.
std::optional<std::string> ReadFileText(const char* path, std::uint64_t maxBytes);
// Whole content of an open regular file, read from its start without moving its offset;
// nothing when it is not a regular file, is larger than maxBytes or cannot be fully read.
std::optional<std::string> ReadWholeFile(
    int fd, std::uint64_t maxBytes = std::numeric_limits<std::uint64_t>::max());

// Writes all bytes, retrying after interruptions; false with errno set (EIO when the system
// accepts nothing) after a failed write, and what was written stays written.
bool WriteAll(int fd, std::string_view bytes);
// Flushes a folder's entries (a finished rename) to the disk; true also where the file system
// cannot sync folders (EINVAL); else false with errno set.
bool SyncFolder(const char* folder);

}  // namespace platform
