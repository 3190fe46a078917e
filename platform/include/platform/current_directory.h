#pragma once
// The process's current directory: read, changed, and changed for a while under the lock.

#include <mutex>
#include <string>

#include "platform/text_object.h"

namespace platform {

// Runs with the current directory changed to a work folder, under the process lock; the old
// directory is restored on leaving. When the old directory cannot be read, it never changes.
class CurrentDirectoryBracket {
 public:
  explicit CurrentDirectoryBracket(const std::string& workFolder);
  ~CurrentDirectoryBracket();
  CurrentDirectoryBracket(const CurrentDirectoryBracket&) = delete;
  CurrentDirectoryBracket& operator=(const CurrentDirectoryBracket&) = delete;
  // True when the work folder is the current directory now.
  bool entered() const { return entered_; }

 private:
  std::unique_lock<std::recursive_mutex> lock_;
  std::string saved_;
  bool entered_ = false;
};

// Clears target, then stores the whole current directory (any length); false when the system
// reports none.
bool GetCwd(TextObject& target);
// True when the current directory was changed; a null path changes nothing. Takes no lock.
bool SetCwd(const char* path);

}  // namespace platform
