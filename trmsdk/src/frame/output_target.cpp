#include "frame/output_target.h"

#include <limits.h>
#include <sys/stat.h>
#include <unistd.h>

#include <vector>

#include "platform/path_parts.h"

namespace trm {
namespace {

// As many links as the kernel follows in one path before it reports a loop.
constexpr int kMostLinks = 40;

}  // namespace

std::optional<std::string> OutputTarget(const std::string& outputPath) {
  std::string path = outputPath;
  for (int hop = 0; hop < kMostLinks; ++hop) {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    std::vector<char> target(PATH_MAX + 1);
    const ssize_t size = readlink(path.c_str(), target.data(), target.size());
    if (size <= 0 || static_cast<std::size_t>(size) >= target.size()) return std::nullopt;
    const std::string next(target.data(), static_cast<std::size_t>(size));
    path = next.front() == '/' ? next : platform::Beside(path, next);
  }
  return std::nullopt;
}

}  // namespace trm
