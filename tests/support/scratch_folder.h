#pragma once
// A private folder for one test, named after it and removed with everything in it when the
// test ends; the working directory the test started in is restored first.

#include <filesystem>
#include <string_view>

namespace km_test {

class ScratchFolder {
 public:
  // tag keeps folders of different suites apart in the temporary folder.
  explicit ScratchFolder(std::string_view tag = "km");
  ~ScratchFolder();
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(std::string_view relative) const { return path_ / relative; }
  // Writes bytes to a file below the folder (creating its folders); returns its path.
  std::filesystem::path File(std::string_view relative, std::string_view bytes) const;

 private:
  std::filesystem::path path_;
  std::filesystem::path startCwd_;
};

}  // namespace km_test
