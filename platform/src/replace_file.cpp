#include "platform/replace_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>

#include "platform/file_helpers.h"
#include "platform/path_parts.h"
#include "platform/unique_fd.h"

namespace platform {

namespace {

// A file made beside its target with a fresh name; removed again unless renamed into place.
class ReplacementFile {
 public:
  explicit ReplacementFile(const std::string& target) {
    const std::string base = target.substr(target.rfind('/') + 1);
    std::random_device seed;
    std::mt19937 random(seed());
    static constexpr std::string_view kLetters =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
      std::string suffix = ".";
      for (int i = 0; i < 6; ++i) suffix += kLetters[random() % kLetters.size()];
      name_ = Beside(target, "." + base + suffix);
      // Created as a new file of the caller would be: 0666 less the umask.
      fd_.reset(open(name_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
      if (fd_ || errno != EEXIST) break;
    }
    if (!fd_) name_.clear();
  }
  ~ReplacementFile() {
    fd_.reset();
    if (!name_.empty()) unlink(name_.c_str());
  }
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  int fd() const { return fd_.get(); }
  // Data not yet on the disk can still fail at close.
  bool Close() { return close(fd_.release()) == 0; }
  bool RenameTo(const std::string& target) {
    if (rename(name_.c_str(), target.c_str()) != 0) return false;
    name_.clear();
    return true;
  }

 private:
  std::string name_;
  UniqueFd fd_;
};

bool Fail(std::string* error, const char* reason) {
  if (error) *error = reason;
  return false;
}

bool FailWithErrno(std::string* error) {
  return Fail(error, std::strerror(errno));
}

}  // namespace

bool ReplaceFileContents(const std::string& path, std::string_view bytes, std::string* error,
                         MissingFile missing) {
  if (path.empty()) return Fail(error, std::strerror(ENOENT));
  const std::unique_ptr<char, decltype(&std::free)> real(realpath(path.c_str(), nullptr),
                                                         &std::free);
  if (!real && (errno != ENOENT || missing == MissingFile::kRefuse)) {
    return FailWithErrno(error);
  }
  const std::string target = real ? real.get() : path;
  struct stat info {};
  const bool replacing = real != nullptr;
  if (replacing) {
    if (stat(target.c_str(), &info) != 0) return FailWithErrno(error);
    if (S_ISDIR(info.st_mode)) return Fail(error, std::strerror(EISDIR));
    if (!S_ISREG(info.st_mode)) return Fail(error, "not a regular file");
    // Replacing needs only the folder's permission; the file's own mode still decides.
    if (faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0) return FailWithErrno(error);
  }
  ReplacementFile file(target);
  if (file.fd() < 0 || !WriteAll(file.fd(), bytes)) return FailWithErrno(error);
  if (replacing) {
    // Owner before mode: a change of owner clears set-id bits. Only root may give files away.
    if ((info.st_uid != geteuid() || info.st_gid != getegid()) &&
        fchown(file.fd(), info.st_uid, info.st_gid) != 0 && errno != EPERM) {
      return FailWithErrno(error);
    }
    if (fchmod(file.fd(), info.st_mode & 07777) != 0) return FailWithErrno(error);
  }
  if (fsync(file.fd()) != 0 || !file.Close() || !file.RenameTo(target)) {
    return FailWithErrno(error);
  }
  if (!SyncFolder(FolderOfFile(target).c_str())) return FailWithErrno(error);
  return true;
}

}  // namespace platform
