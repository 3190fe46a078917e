#include "platform/file_helpers.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/path_parts.h"
#include "platform/unique_fd.h"

namespace platform {

namespace {

bool IsFolder(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// Reads size bytes from the start of fd without moving its offset; false on an error or when
// the file ends early.
bool ReadAt(int fd, char* data, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t got = pread(fd, data + done, size - done, static_cast<off_t>(done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    done += static_cast<std::size_t>(got);
  }
  return true;
}

// Only regular files have a size to read up to; anything else is "cannot be read".
template <typename Bytes>
std::optional<Bytes> ReadAllOf(int fd, std::uint64_t maxBytes) {
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
      static_cast<std::uint64_t>(st.st_size) > maxBytes) {
    return std::nullopt;
  }
  Bytes bytes(static_cast<std::size_t>(st.st_size), 0);
  if (!ReadAt(fd, reinterpret_cast<char*>(bytes.data()), bytes.size())) return std::nullopt;
  return bytes;
}

// Copies source to target byte for byte and flushes it to the disk; the target is created or
// truncated with the source's permission bits.
bool CopyFlushed(const char* source, const char* target) {
  UniqueFd in(open(source, O_RDONLY | O_CLOEXEC));
  if (!in.valid()) return false;
  struct stat st {};
  if (fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  // Never setuid, setgid or sticky: the copy may come from another machine's archive.
  UniqueFd out(
      open(target, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, st.st_mode & 0777));
  if (!out.valid()) return false;
  std::vector<char> chunk(1 << 16);
  for (;;) {
    const ssize_t got = read(in.get(), chunk.data(), chunk.size());
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (got == 0) break;
    if (!WriteAll(out.get(), std::string_view(chunk.data(), static_cast<std::size_t>(got)))) {
      return false;
    }
  }
  // A write error may show only at close.
  return fsync(out.get()) == 0 && close(out.release()) == 0;
}

// Makes a finished rename durable.
void SyncFolderOf(const char* path) {
  TextObject file(path);
  TextObject folder;
  FolderOf(folder, file);
  (void)SyncFolder(folder.isEmpty() ? "." : folder.cstr());
}

}  // namespace

bool MakeDir(const char* path) {
  return path && mkdir(path, 0777) == 0;
}

bool RemoveDir(const char* path) {
  return path && rmdir(path) == 0;
}

// Linux has no drive letters, so every component is checked; a component that exists but is
// not a folder counts as missing (nothing could be stored under it).
bool MakeDirPath(const char* filePath) {
  if (!filePath) return false;
  const std::string_view path(filePath);
  const std::size_t nameStart = path.rfind('/');
  if (nameStart == std::string_view::npos) return true;
  const std::string_view folder = path.substr(0, nameStart);
  std::string accumulator = path.front() == '/' ? "/" : "";
  std::size_t start = 0;
  while (start < folder.size()) {
    std::size_t end = folder.find('/', start);
    if (end == std::string_view::npos) end = folder.size();
    if (end > start) {
      accumulator.append(folder.substr(start, end - start));
      if (!IsFolder(accumulator)) {
        (void)mkdir(accumulator.c_str(), 0777);
        if (!IsFolder(accumulator)) return false;
      }
      accumulator.push_back('/');
    }
    start = end + 1;
  }
  return true;
}

std::vector<std::string> ListRegularFiles(const char* folder) {
  std::vector<std::string> names;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder), &closedir);
  if (!dir) return names;
  while (const dirent* entry = readdir(dir.get())) {
    struct stat info {};
    if (fstatat(dirfd(dir.get()), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISREG(info.st_mode)) {
      names.emplace_back(entry->d_name);
    }
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The first match in name order, so the answer does not depend on the order of the folder.
bool FindFirst(TextObject& target, const char* pattern) {
  target.clear();
  if (!pattern) return false;
  TextObject whole(pattern);
  TextObject folder;
  TextObject mask;
  FolderOf(folder, whole);
  FileNameOf(mask, pattern);
  if (mask.isEmpty()) return false;
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.isEmpty() ? "." : folder.cstr()),
                                          &closedir);
  if (!dir) return false;
  std::string best;
  bool found = false;
  while (const dirent* entry = readdir(dir.get())) {
    const std::string_view name(entry->d_name);
    if (name == "." || name == "..") continue;
    if (fnmatch(mask.cstr(), entry->d_name, 0) != 0) continue;
    if (!found || name < best) best = name;
    found = true;
  }
  if (found) target.set(best.c_str());
  return found;
}

// The copy is made beside the target and renamed over it only when whole: a full disk or a
// broken source never leaves the old target cut short.
bool CopyFileTo(const TextObject& source, const TextObject& target) {
  if (source.isEmpty() || target.isEmpty()) return false;
  TextObject staging;
  staging.format("%s.%d.copying", target.cstr(), static_cast<int>(getpid()));
  if (!CopyFlushed(source.cstr(), staging.cstr()) || rename(staging.cstr(), target.cstr()) != 0) {
    const int error = errno;
    unlink(staging.cstr());
    errno = error;
    return false;
  }
  SyncFolderOf(target.cstr());
  return true;
}

// Replaces an existing target. Across file systems the file is copied beside the target,
// flushed and renamed over it, and only then is the source removed: a failure on the way
// leaves the source and the old target as they were.
bool MoveFileTo(const TextObject& source, const TextObject& target, bool syncFolder) {
  if (source.isEmpty() || target.isEmpty()) return false;
  if (rename(source.cstr(), target.cstr()) == 0) {
    if (syncFolder) SyncFolderOf(target.cstr());
    return true;
  }
  if (errno != EXDEV) return false;
  TextObject staging;
  staging.format("%s.%d.moving", target.cstr(), static_cast<int>(getpid()));
  if (!CopyFlushed(source.cstr(), staging.cstr())) {
    unlink(staging.cstr());
    return false;
  }
  if (rename(staging.cstr(), target.cstr()) != 0) {
    unlink(staging.cstr());
    return false;
  }
  SyncFolderOf(target.cstr());
  return unlink(source.cstr()) == 0;
}

bool RemoveFile(const TextObject& path) {
  return unlink(path.cstr()) == 0;
}

bool Exists(const char* path) {
  struct stat st {};
  return path && stat(path, &st) == 0;
}

namespace {

// Non-blocking, so that a FIFO under the name cannot hang the open; only regular files are read.
UniqueFd OpenForReading(const char* path) {
  return UniqueFd(path ? open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK) : -1);
}

}  // namespace

std::optional<std::vector<unsigned char>> ReadWholeFile(const char* path) {
  const UniqueFd in = OpenForReading(path);
  if (!in) return std::nullopt;
  return ReadAllOf<std::vector<unsigned char>>(in.get(), std::numeric_limits<std::uint64_t>::max());
}

std::optional<std::string> ReadFileText(const char* path, std::uint64_t maxBytes) {
  const UniqueFd in = OpenForReading(path);
  if (!in) return std::nullopt;
  return ReadAllOf<std::string>(in.get(), maxBytes);
}

std::optional<std::string> ReadWholeFile(int fd, std::uint64_t maxBytes) {
  return ReadAllOf<std::string>(fd, maxBytes);
}

bool WriteAll(int fd, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  return true;
}

bool SyncFolder(const char* folder) {
  const UniqueFd fd(folder ? open(folder, O_RDONLY | O_DIRECTORY | O_CLOEXEC) : -1);
  if (!fd) return false;
  // Some file systems cannot sync a folder at all; the rename is then as durable as it gets.
  return fsync(fd.get()) == 0 || errno == EINVAL;
}

}  // namespace platform
