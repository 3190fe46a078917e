#pragma once
// What stands at a path, for the checks that accept only regular files and for the error
// details that say why something else was refused.

#include <sys/types.h>

#include <string_view>

namespace platform {

enum class PathKind {
  kMissing,      // nothing there, or a folder on the way is missing
  kUnreachable,  // it cannot be examined (no permission, a link loop, a name too long)
  kRegular,
  kFolder,
  kFifo,
  kCharacterDevice,
  kBlockDevice,
  kSocket,
  kLink,  // only when links are not followed
};

enum class Links { kFollow, kDoNotFollow };

// The kind of an existing file from its stat mode; kUnreachable for a mode it does not know.
PathKind KindOfMode(mode_t mode);

// What stands at path (kMissing for null or empty); never opens it, so a FIFO cannot block.
PathKind KindOf(const char* path, Links links = Links::kFollow);

// For a detail text after the path: "is a folder", "is a FIFO, not a regular file", ...;
// empty for a regular file.
std::string_view KindDescription(PathKind kind);

}  // namespace platform
