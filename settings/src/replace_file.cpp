#include "replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace settings {

namespace {

// A file made beside its target; removed again unless it was renamed into place.
class TemporaryFile {
 public:
  explicit TemporaryFile(std::string pattern) : name_(std::move(pattern)) {
    fd_ = mkostemp(name_.data(), O_CLOEXEC);
    if (fd_ < 0) name_.clear();
  }
  ~TemporaryFile() {
    if (fd_ >= 0) close(fd_);
    if (!name_.empty()) unlink(name_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  int fd() const { return fd_; }
  const std::string& name() const { return name_; }
  // Data not yet on the disk can still fail at close.
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return close(fd) == 0;
  }
  void Renamed() { name_.clear(); }

 private:
  std::string name_;
  int fd_ = -1;
};

bool WriteAll(int fd, const std::string& bytes) {
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

bool Fail(std::string* error, const std::string& reason) {
  if (error) *error = reason;
  return false;
}

bool FailWithErrno(std::string* error) {
  return Fail(error, std::strerror(errno));
}

bool SyncFolder(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  // Some file systems cannot sync a folder at all; the rename is then as durable as it gets.
  const bool synced = fsync(fd) == 0 || errno == EINVAL;
  close(fd);
  return synced;
}

}  // namespace

bool ReplaceFileContents(const std::string& path, const std::string& bytes, std::string* error) {
  const std::unique_ptr<char, decltype(&std::free)> real(realpath(path.c_str(), nullptr),
                                                         &std::free);
  if (!real) return FailWithErrno(error);
  const std::string target = real.get();
  struct stat info {};
  if (stat(target.c_str(), &info) != 0) return FailWithErrno(error);
  if (!S_ISREG(info.st_mode)) return Fail(error, "not a regular file");
  // Replacing needs only the folder's permission; the file's own mode still decides.
  if (faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return FailWithErrno(error);

  const std::size_t slash = target.rfind('/');
  const std::string folder = slash == 0 ? "/" : target.substr(0, slash);
  TemporaryFile temp(target.substr(0, slash + 1) + "." + target.substr(slash + 1) + ".XXXXXX");
  if (temp.fd() < 0) return FailWithErrno(error);
  if (!WriteAll(temp.fd(), bytes)) return FailWithErrno(error);
  // Owner before mode: a change of owner clears set-id bits. Only root may give the file away.
  if ((info.st_uid != geteuid() || info.st_gid != getegid()) &&
      fchown(temp.fd(), info.st_uid, info.st_gid) != 0 && errno != EPERM) {
    return FailWithErrno(error);
  }
  if (fchmod(temp.fd(), info.st_mode & 07777) != 0) return FailWithErrno(error);
  if (fsync(temp.fd()) != 0) return FailWithErrno(error);
  if (!temp.Close()) return FailWithErrno(error);
  if (rename(temp.name().c_str(), target.c_str()) != 0) return FailWithErrno(error);
  temp.Renamed();
  if (!SyncFolder(folder)) return FailWithErrno(error);
  return true;
}

}  // namespace settings
