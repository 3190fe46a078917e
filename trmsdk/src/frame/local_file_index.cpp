#include "frame/local_file_index.h"

namespace trm {

std::optional<std::size_t> LocalFileIndex::Find(const std::string& path,
                                                const struct stat& info) const {
  if (auto at = byPath_.find(path); at != byPath_.end()) return at->second;
  if (auto at = byFile_.find({info.st_dev, info.st_ino}); at != byFile_.end()) return at->second;
  return std::nullopt;
}

void LocalFileIndex::Add(const std::string& path, const struct stat& info, std::size_t position) {
  byPath_.emplace(path, position);
  byFile_.emplace(std::make_pair(info.st_dev, info.st_ino), position);
}

}  // namespace trm
