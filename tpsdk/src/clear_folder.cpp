#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <memory>

#include "tpsdk/tpsdk.h"

namespace tpsdk {

int TpsdkClearFolder(const char* folder) {
  if (!folder) return -1;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder), closedir);
  if (!dir) return -1;
  const int dirFd = dirfd(dir.get());
  int result = 0;
  while (const dirent* entry = readdir(dir.get())) {
    struct stat info;
    if (fstatat(dirFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
    // Only regular files: a link is left alone, so nothing outside the folder changes. A
    // file's own permissions do not decide its deletion here, so none are changed.
    if (!S_ISREG(info.st_mode)) continue;
    result = unlinkat(dirFd, entry->d_name, 0);
  }
  return result;
}

}  // namespace tpsdk
