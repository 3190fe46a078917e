#include "platform/temp_name.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <mutex>
#include <random>
#include <string>

#include "temp_name_seed.h"

namespace platform {

namespace {

// A full-period multiplicative generator: within one process no random part repeats before
// 2^31 - 2 names, so two names made in the same millisecond always differ.
struct RandomParts {
  std::mutex lock;
  std::minstd_rand engine{static_cast<std::minstd_rand::result_type>(getpid())};
};

RandomParts& Randoms() {
  static RandomParts parts;
  return parts;
}

unsigned NextRandom() {
  auto& parts = Randoms();
  std::lock_guard guard(parts.lock);
  return static_cast<unsigned>(parts.engine());
}

}  // namespace

namespace detail {

void SeedTempNames(unsigned seed) {
  auto& parts = Randoms();
  std::lock_guard guard(parts.lock);
  parts.engine.seed(seed);
}

}  // namespace detail

std::string TempDirectory() {
  const char* env = std::getenv("TMPDIR");
  std::string folder = env && *env ? env : "/tmp";
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

bool MakeTempName(TextObject& target, const char* prefix) {
  target.clear();
  std::string path = TempDirectory();
  if (path.empty()) return false;
  if (path.back() != '/') path.push_back('/');
  path += prefix ? prefix : "";

  const auto now = std::chrono::system_clock::now().time_since_epoch();
  const auto millis = std::chrono::duration_cast<std::chrono::milliseconds>(now).count() % 1000;
  char parts[64];
  std::snprintf(parts, sizeof parts, "%X_%X_%X_%X", static_cast<unsigned>(getpid()),
                static_cast<unsigned>(std::time(nullptr)), static_cast<unsigned>(millis),
                NextRandom());
  path += parts;
  target.set(path.c_str());
  return true;
}

bool MakeTempDir(TextObject& target) {
  if (!MakeTempName(target, "tp_")) return false;
  return mkdir(target.cstr(), 0700) == 0;
}

}  // namespace platform
