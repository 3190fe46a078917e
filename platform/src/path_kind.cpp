#include "platform/path_kind.h"

#include <sys/stat.h>

#include <cerrno>

namespace platform {

PathKind KindOfMode(mode_t mode) {
  if (S_ISREG(mode)) return PathKind::kRegular;
  if (S_ISDIR(mode)) return PathKind::kFolder;
  if (S_ISFIFO(mode)) return PathKind::kFifo;
  if (S_ISCHR(mode)) return PathKind::kCharacterDevice;
  if (S_ISBLK(mode)) return PathKind::kBlockDevice;
  if (S_ISSOCK(mode)) return PathKind::kSocket;
  if (S_ISLNK(mode)) return PathKind::kLink;
  return PathKind::kUnreachable;
}

PathKind KindOf(const char* path, Links links) {
  if (!path || *path == '\0') return PathKind::kMissing;
  struct stat info {};
  const int result = links == Links::kFollow ? stat(path, &info) : lstat(path, &info);
  if (result != 0) {
    return errno == ENOENT || errno == ENOTDIR ? PathKind::kMissing : PathKind::kUnreachable;
  }
  return KindOfMode(info.st_mode);
}

std::string_view KindDescription(PathKind kind) {
  switch (kind) {
    case PathKind::kRegular:
      return {};
    case PathKind::kMissing:
      return "does not exist";
    case PathKind::kUnreachable:
      return "cannot be examined";
    case PathKind::kFolder:
      return "is a folder";
    case PathKind::kFifo:
      return "is a FIFO, not a regular file";
    case PathKind::kCharacterDevice:
      return "is a character device, not a regular file";
    case PathKind::kBlockDevice:
      return "is a block device, not a regular file";
    case PathKind::kSocket:
      return "is a socket, not a regular file";
    case PathKind::kLink:
      return "is a symbolic link";
  }
  return "is not a regular file";
}

}  // namespace platform
