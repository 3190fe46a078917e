#include "scratch_folder.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <string>

#include "file_io.h"

namespace km_test {

namespace fs = std::filesystem;

ScratchFolder::ScratchFolder(std::string_view tag) {
  const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
  std::string name(tag);
  if (info) name += std::string("_") + info->test_suite_name() + "_" + info->name();
  name += "_" + std::to_string(getpid());
  std::replace(name.begin(), name.end(), '/', '_');  // parameterised test names
  std::error_code ignored;
  startCwd_ = fs::current_path(ignored);
  path_ = fs::temp_directory_path() / name;
  fs::remove_all(path_, ignored);
  fs::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
  std::error_code ignored;
  if (!startCwd_.empty()) fs::current_path(startCwd_, ignored);
  // A test may have taken permissions away to provoke a failure.
  fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(path_, ignored);
}

fs::path ScratchFolder::File(std::string_view relative, std::string_view bytes) const {
  const fs::path file = path_ / relative;
  WriteFile(file, bytes);
  return file;
}

}  // namespace km_test
