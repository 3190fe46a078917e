#include "folder_handle.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <memory>

namespace kmsim {

namespace {

// Deeper than any printer name can reach; bounds the handles open at once.
constexpr int kMaxDepth = 200;

bool RemoveContentsAt(int folder, int depth) {
  std::vector<std::string> names;
  if (!ListFolder(folder, names)) return false;
  bool ok = true;
  for (const std::string& name : names) {
    if (::unlinkat(folder, name.c_str(), 0) == 0 || errno == ENOENT) continue;
    if (errno != EISDIR || depth >= kMaxDepth) {
      ok = false;
      continue;
    }
    const platform::UniqueFd sub = OpenFolder(folder, name, false);
    if (!sub || !RemoveContentsAt(sub.get(), depth + 1) ||
        ::unlinkat(folder, name.c_str(), AT_REMOVEDIR) != 0) {
      ok = false;
    }
  }
  return ok;
}

}  // namespace

platform::UniqueFd OpenFolder(int parent, const std::string& name, bool create, unsigned mode) {
  constexpr int kFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
  platform::UniqueFd fd(::openat(parent, name.c_str(), kFlags));
  if (!fd && create && errno == ENOENT) {
    if (::mkdirat(parent, name.c_str(), mode) != 0 && errno != EEXIST) return fd;
    fd.reset(::openat(parent, name.c_str(), kFlags));
  }
  return fd;
}

bool ListFolder(int folder, std::vector<std::string>& names) {
  const int copy = ::fcntl(folder, F_DUPFD_CLOEXEC, 0);
  if (copy < 0) return false;
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(::fdopendir(copy), ::closedir);
  if (!dir) {
    ::close(copy);
    return false;
  }
  ::rewinddir(dir.get());
  while (true) {
    errno = 0;
    const dirent* entry = ::readdir(dir.get());
    if (!entry) return errno == 0;
    const std::string name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
}

bool RemoveContents(int folder) {
  return RemoveContentsAt(folder, 0);
}

}  // namespace kmsim
