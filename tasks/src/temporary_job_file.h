#pragma once
// A new, empty job file of its own under a temporary name, removed again with the object.

#include <optional>
#include <string>

namespace tasks {

class TemporaryJobFile {
 public:
  // Creates the file in the temporary folder ($TMPDIR, else /tmp); nothing and *reason when
  // that cannot be done.
  static std::optional<TemporaryJobFile> Create(const char* prefix, std::string* reason);

  TemporaryJobFile(TemporaryJobFile&& other) noexcept;
  TemporaryJobFile& operator=(TemporaryJobFile&& other) noexcept;
  TemporaryJobFile(const TemporaryJobFile&) = delete;
  TemporaryJobFile& operator=(const TemporaryJobFile&) = delete;
  ~TemporaryJobFile();

  const std::string& path() const { return path_; }

 private:
  explicit TemporaryJobFile(std::string path) : path_(std::move(path)) {}
  void Remove();
  std::string path_;
};

}  // namespace tasks
