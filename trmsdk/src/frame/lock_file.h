#pragma once
#include <string>
#include <string_view>

namespace trm {

// Name of the lock file guarding a path, inside the given temporary folder: a 64-bit hash of
// the whole path in hexadecimal and ".trm.sem", short and fixed in length however long the
// path is.
std::string LockFilePath(std::string_view guardedPath, std::string_view tempDirectory);

// Removes lock files of that shape in the folder whose owners no longer run.
void RemoveDeadOwnersLocks(std::string_view tempDirectory);

// Exclusive lock on one path across threads and processes, held while the object lives.
// The lock file records its owner's process id; a lock whose owner no longer runs is stale and
// is taken over. A live owner makes the lock fail after about 122 attempts.
class LockFile {
 public:
  LockFile(std::string_view guardedPath, std::string_view tempDirectory);
  ~LockFile();
  LockFile(const LockFile&) = delete;
  LockFile& operator=(const LockFile&) = delete;

  bool held() const { return descriptor_ >= 0; }
  const std::string& path() const { return path_; }

 private:
  bool TryCreate();

  std::string path_;
  int descriptor_ = -1;
};

}  // namespace trm
