#include "frame/debug_log.h"

#include <sys/stat.h>

#include <cstdio>
#include <ctime>
#include <memory>
#include <optional>
#include <string>

#include "frame/library_state.h"
#include "frame/lock_file.h"

namespace trm {
namespace {

constexpr off_t kMaximumLogSize = 0x100000;

std::string LocalDateTime() {
  std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[128];
  std::size_t n = std::strftime(text, sizeof text, "%x %X", &local);
  return std::string(text, n);
}

}  // namespace

void WriteDebugLog(std::string_view text, LogLocking locking) {
  const LibraryState& state = State();
  if (state.logPath.empty()) return;
  struct stat info {};
  if (stat(state.logPath.c_str(), &info) != 0 || info.st_size > kMaximumLogSize) return;

  std::optional<LockFile> lock;
  if (locking == LogLocking::kLocked) {
    lock.emplace(state.logPath, state.tempDirectory);
    if (!lock->held()) return;
  }
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(state.logPath.c_str(), "ab+"),
                                             &std::fclose);
  if (!file) return;
  std::string line = LocalDateTime() + ": ";
  line.append(text);
  line += "\r\n";
  std::fwrite(line.data(), 1, line.size(), file.get());
}

}  // namespace trm
