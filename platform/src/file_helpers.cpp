#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_layer.h"

namespace platform {

namespace {

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Closes now and reports whether the close succeeded (a write error may show only here).
  bool closeNow() {
    const int fd = fd_;
    fd_ = -1;
    return close(fd) == 0;
  }

 private:
  int fd_;
};

bool IsFolder(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

// Copies source to target byte for byte and flushes it to the disk; the target is created or
// truncated with the source's permission bits.
bool CopyFlushed(const char* source, const char* target) {
  Fd in(open(source, O_RDONLY | O_CLOEXEC));
  if (!in.valid()) return false;
  struct stat st {};
  if (fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  Fd out(open(target, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, st.st_mode & 07777));
  if (!out.valid()) return false;
  std::vector<char> chunk(1 << 16);
  for (;;) {
    const ssize_t got = read(in.get(), chunk.data(), chunk.size());
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    if (got == 0) break;
    if (!WriteAll(out.get(), chunk.data(), static_cast<std::size_t>(got))) return false;
  }
  return fsync(out.get()) == 0 && out.closeNow();
}

// Makes a finished rename durable.
void SyncFolderOf(const char* path) {
  TextObject file(path);
  TextObject folder;
  FolderOf(folder, file);
  Fd dir(open(folder.isEmpty() ? "." : folder.cstr(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.valid()) (void)fsync(dir.get());
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

bool CopyFileTo(const TextObject& source, const TextObject& target) {
  std::error_code error;
  return std::filesystem::copy_file(source.cstr(), target.cstr(),
                                    std::filesystem::copy_options::overwrite_existing, error) &&
         !error;
}

// Replaces an existing target. Across file systems the file is copied beside the target,
// flushed and renamed over it, and only then is the source removed: a failure on the way
// leaves the source and the old target as they were.
bool MoveFileTo(const TextObject& source, const TextObject& target) {
  if (source.isEmpty() || target.isEmpty()) return false;
  if (rename(source.cstr(), target.cstr()) == 0) {
    SyncFolderOf(target.cstr());
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

std::optional<std::vector<unsigned char>> ReadWholeFile(const char* path) {
  if (!path) return std::nullopt;
  Fd in(open(path, O_RDONLY | O_CLOEXEC));
  if (!in.valid()) return std::nullopt;
  struct stat st {};
  // Only regular files have a size to read up to; a folder is "cannot be read".
  if (fstat(in.get(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
  std::vector<unsigned char> bytes(static_cast<std::size_t>(st.st_size));
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t got = read(in.get(), bytes.data() + done, bytes.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return std::nullopt;
    done += static_cast<std::size_t>(got);
  }
  return bytes;
}

}  // namespace platform
