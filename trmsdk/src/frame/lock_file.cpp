#include "frame/lock_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>

#include "frame/owner_process.h"
#include "platform/file_helpers.h"
#include "platform/process_lock.h"

namespace trm {
namespace {

constexpr int kRetries = 121;
constexpr std::string_view kLockSuffix = ".trm.sem";
constexpr std::size_t kHashDigits = 16;
// A lock file still empty after this long lost its owner between create and write.
constexpr auto kEmptyLockGrace = std::chrono::seconds(5);

std::uint64_t Fnv1a64(std::string_view text) {
  std::uint64_t hash = 0xcbf29ce484222325u;
  for (unsigned char c : text) {
    hash ^= c;
    hash *= 0x100000001b3u;
  }
  return hash;
}

bool IsLockName(std::string_view name) {
  if (name.size() != kHashDigits + kLockSuffix.size() || !name.ends_with(kLockSuffix)) {
    return false;
  }
  for (char c : name.substr(0, kHashDigits)) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  }
  return true;
}

std::string InFolder(std::string_view folder, std::string_view name) {
  std::string path(folder);
  if (path.empty() || path.back() != '/') path.push_back('/');
  return path.append(name);
}

// Removes the lock file when its recorded owner no longer runs; true when it is gone.
bool RemoveIfStale(const std::string& path) {
  int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return errno == ENOENT;
  struct stat before {};
  char buffer[32] = {};
  bool readOk = fstat(fd, &before) == 0 && S_ISREG(before.st_mode);
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
  if (lstat(path.c_str(), &now) != 0) return errno == ENOENT;
  if (now.st_ino != before.st_ino || now.st_dev != before.st_dev) return false;
  return unlink(path.c_str()) == 0 || errno == ENOENT;
}

}  // namespace

std::string LockFilePath(std::string_view guardedPath, std::string_view tempDirectory) {
  char hash[kHashDigits + 1];
  std::snprintf(hash, sizeof hash, "%016llx",
                static_cast<unsigned long long>(Fnv1a64(guardedPath)));
  return InFolder(tempDirectory, std::string(hash).append(kLockSuffix));
}

void RemoveDeadOwnersLocks(std::string_view tempDirectory) {
  const std::string folder(tempDirectory);
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), &closedir);
  if (!dir) return;
  while (const dirent* entry = readdir(dir.get())) {
    if (IsLockName(entry->d_name)) (void)RemoveIfStale(InFolder(folder, entry->d_name));
  }
}

LockFile::LockFile(std::string_view guardedPath, std::string_view tempDirectory)
    : path_(LockFilePath(guardedPath, tempDirectory)) {
  platform::MakeDirPath(path_.c_str());
  for (int attempt = 0; attempt <= kRetries; ++attempt) {
    if (TryCreate()) return;
    if (RemoveIfStale(path_) && TryCreate()) return;
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

}  // namespace trm
