#include "frame/scratch_name.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <charconv>
#include <cstdio>
#include <memory>
#include <random>

#include "frame/owner_process.h"

namespace trm {
namespace {

constexpr std::string_view kPrefix = ".trm-";
constexpr std::string_view kSuffix = ".part";
constexpr std::size_t kTagDigits = 8;

// Random per process, so a name is not repeated by a later process that gets the same id.
unsigned NextTag() {
  static std::atomic<unsigned> next{std::random_device{}()};
  return next.fetch_add(0x9E3779B9u);
}

bool IsLowerHex(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
}

}  // namespace

std::string NewScratchName() {
  char tag[kTagDigits + 1];
  std::snprintf(tag, sizeof tag, "%08x", NextTag());
  std::string name(kPrefix);
  name.append(std::to_string(static_cast<long>(getpid()))).append("-").append(tag);
  name.append(kSuffix);
  return name;
}

std::optional<long> ScratchOwner(std::string_view name) {
  if (!name.starts_with(kPrefix) || !name.ends_with(kSuffix)) return std::nullopt;
  name.remove_prefix(kPrefix.size());
  name.remove_suffix(kSuffix.size());
  const std::size_t dash = name.find('-');
  if (dash == std::string_view::npos || dash == 0 || dash > 10) return std::nullopt;
  const std::string_view tag = name.substr(dash + 1);
  if (tag.size() != kTagDigits) return std::nullopt;
  for (char c : tag) {
    if (!IsLowerHex(c)) return std::nullopt;
  }
  long pid = 0;
  const char* end = name.data() + dash;
  auto [stop, error] = std::from_chars(name.data(), end, pid);
  if (error != std::errc() || stop != end || pid <= 0) return std::nullopt;
  return pid;
}

void RemoveDeadOwnersScratch(const std::string& folder) {
  std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), &closedir);
  if (!dir) return;
  const int dirFd = dirfd(dir.get());
  while (const dirent* entry = readdir(dir.get())) {
    const auto owner = ScratchOwner(entry->d_name);
    if (!owner || ProcessRuns(*owner)) continue;
    struct stat info {};
    if (fstatat(dirFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (S_ISREG(info.st_mode)) (void)unlinkat(dirFd, entry->d_name, 0);
  }
}

}  // namespace trm
