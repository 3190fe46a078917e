#include "replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "platform/file_helpers.h"
#include "platform/path_parts.h"
#include "platform/unique_fd.h"

namespace settings {

namespace {

// A file made beside its target; removed again unless it was renamed into place.
class TemporaryFile {
 public:
  explicit TemporaryFile(std::string pattern) : name_(std::move(pattern)) {
    fd_.reset(mkostemp(name_.data(), O_CLOEXEC));
    if (!fd_) name_.clear();
  }
  ~TemporaryFile() {
    fd_.reset();
    if (!name_.empty()) unlink(name_.c_str());
  }
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  int fd() const { return fd_.get(); }
  const std::string& name() const { return name_; }
  // Data not yet on the disk can still fail at close.
  bool Close() { return close(fd_.release()) == 0; }
  void Renamed() { name_.clear(); }

 private:
  std::string name_;
  platform::UniqueFd fd_;
};

bool Fail(std::string* error, const std::string& reason) {
  if (error) *error = reason;
  return false;
}

bool FailWithErrno(std::string* error) {
  return Fail(error, std::strerror(errno));
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

  const std::string name = target.substr(target.rfind('/') + 1);
  TemporaryFile temp(platform::Beside(target, "." + name + ".XXXXXX"));
  if (temp.fd() < 0) return FailWithErrno(error);
  if (!platform::WriteAll(temp.fd(), bytes)) return FailWithErrno(error);
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
  if (!platform::SyncFolder(platform::FolderOfFile(target).c_str())) return FailWithErrno(error);
  return true;
}

}  // namespace settings
