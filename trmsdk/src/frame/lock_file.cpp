#include "frame/lock_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <string>

#include "platform/file_layer.h"

namespace trm {
namespace {

constexpr int kRetries = 121;
constexpr std::size_t kMaxNameLength = 256;
constexpr std::size_t kMaxPathLength = 512;
// A lock file still empty after this long lost its owner between create and write.
constexpr auto kEmptyLockGrace = std::chrono::seconds(5);

bool ProcessRuns(long pid) {
  if (pid <= 0) return false;
  return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

}  // namespace

std::string LockFilePath(std::string_view guardedPath, std::string_view tempDirectory) {
  std::string name;
  name.reserve(guardedPath.size() + 8);
  for (char c : guardedPath) {
    if (c != '\\' && c != '/' && c != '.' && c != ':') name.push_back(c);
  }
  name += ".trm.sem";
  if (name.size() > kMaxNameLength) name.erase(0, name.size() - kMaxNameLength);
  if (tempDirectory.size() < kMaxPathLength &&
      tempDirectory.size() + name.size() > kMaxPathLength) {
    name.erase(0, name.size() - (kMaxPathLength - tempDirectory.size()));
  }
  std::string path(tempDirectory);
  if (path.empty() || path.back() != '/') path.push_back('/');
  return path + name;
}

LockFile::LockFile(std::string_view guardedPath, std::string_view tempDirectory)
    : path_(LockFilePath(guardedPath, tempDirectory)) {
  platform::MakeDirPath(path_.c_str());
  for (int attempt = 0; attempt <= kRetries; ++attempt) {
    if (TryCreate()) return;
    if (RemoveIfStale() && TryCreate()) return;
    platform::SleepMs(1);
  }
}

LockFile::~LockFile() {
  if (descriptor_ >= 0) {
    close(descriptor_);
    unlink(path_.c_str());
  }
}

bool LockFile::TryCreate() {
  int fd = open(path_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  std::string pid = std::to_string(static_cast<long>(getpid())) + "\n";
  if (write(fd, pid.data(), pid.size()) != static_cast<ssize_t>(pid.size())) {
    close(fd);
    unlink(path_.c_str());
    return false;
  }
  descriptor_ = fd;
  return true;
}

bool LockFile::RemoveIfStale() {
  int fd = open(path_.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return errno == ENOENT;
  struct stat before {};
  char buffer[32] = {};
  bool readOk = fstat(fd, &before) == 0;
  ssize_t got = readOk ? read(fd, buffer, sizeof buffer - 1) : -1;
  close(fd);
  if (!readOk || got < 0) return false;

  long owner = 0;
  std::from_chars(buffer, buffer + got, owner);
  if (got == 0) {
    auto age =
        std::chrono::system_clock::now() - std::chrono::system_clock::from_time_t(before.st_mtime);
    if (age < kEmptyLockGrace) return false;
  } else if (ProcessRuns(owner)) {
    return false;
  }
  // Only remove the file we inspected, not one a competitor created meanwhile.
  struct stat now {};
  if (stat(path_.c_str(), &now) != 0) return errno == ENOENT;
  if (now.st_ino != before.st_ino || now.st_dev != before.st_dev) return false;
  return unlink(path_.c_str()) == 0 || errno == ENOENT;
}

}  // namespace trm
