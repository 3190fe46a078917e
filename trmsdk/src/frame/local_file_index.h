#pragma once
#include <sys/stat.h>

#include <cstddef>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>

namespace trm {

// Positions of the local files of a load list. Two paths are one file only when they are the
// same text or name the same file on disk (device and inode): names that merely look alike,
// by letter case or by wildcard characters, are different files.
class LocalFileIndex {
 public:
  using FileId = std::pair<dev_t, ino_t>;

  std::optional<std::size_t> Find(const std::string& path, const struct stat& info) const;
  void Add(const std::string& path, const struct stat& info, std::size_t position);

 private:
  struct FileIdHash {
    std::size_t operator()(const FileId& id) const {
      return std::hash<ino_t>()(id.second) * 31 + std::hash<dev_t>()(id.first);
    }
  };
  std::unordered_map<std::string, std::size_t> byPath_;
  std::unordered_map<FileId, std::size_t, FileIdHash> byFile_;
};

}  // namespace trm
