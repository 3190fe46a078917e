#include "platform/current_directory.h"

#include <unistd.h>

#include <cerrno>
#include <string>

#include "platform/process_lock.h"

namespace platform {

namespace {

bool ReadCwd(std::string& out) {
  std::string buffer(256, '\0');
  for (;;) {
    if (getcwd(buffer.data(), buffer.size())) {
      buffer.resize(buffer.find('\0'));
      out = std::move(buffer);
      return true;
    }
    if (errno != ERANGE) return false;
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace

bool GetCwd(TextObject& target) {
  target.clear();
  std::string cwd;
  if (!ReadCwd(cwd)) return false;
  target.set(cwd.c_str());
  return true;
}

bool SetCwd(const char* path) {
  return path && chdir(path) == 0;
}

CurrentDirectoryBracket::CurrentDirectoryBracket(const std::string& workFolder)
    : lock_(FileLayerLock()) {
  // Without the old directory there is no way back, so the change is not even tried.
  if (!ReadCwd(saved_)) return;
  entered_ = chdir(workFolder.c_str()) == 0;
}

CurrentDirectoryBracket::~CurrentDirectoryBracket() {
  if (entered_) (void)chdir(saved_.c_str());
}

}  // namespace platform
