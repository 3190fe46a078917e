#pragma once
// Each test gets its own folder as working directory and temporary folder, and a started
// generator; files are written and read back through small helpers.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "trm.h"

namespace trm_test {

namespace fs = std::filesystem;

inline void WriteFile(const fs::path& path, std::string_view bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class GeneratorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = fs::temp_directory_path() /
            ("km_trm_" + std::string(info->name()) + "_" + std::to_string(getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_ / "tmp");
    fs::create_directories(root_ / "work");
    savedCwd_ = fs::current_path();
    fs::current_path(root_ / "work");
    const char* tmp = std::getenv("TMPDIR");
    savedTmp_ = tmp ? tmp : "";
    hadTmp_ = tmp != nullptr;
    setenv("TMPDIR", (root_ / "tmp").c_str(), 1);
    if (startGenerator_) {
      ASSERT_EQ(trmInitialize(), TRM_OK);
    }
  }

  void TearDown() override {
    trmFinished();
    fs::current_path(savedCwd_);
    if (hadTmp_) {
      setenv("TMPDIR", savedTmp_.c_str(), 1);
    } else {
      unsetenv("TMPDIR");
    }
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  fs::path Path(std::string_view relative) const { return root_ / relative; }
  std::string Output() const { return (root_ / "out" / "job.ps").string(); }

  fs::path root_;
  bool startGenerator_ = true;

 private:
  fs::path savedCwd_;
  std::string savedTmp_;
  bool hadTmp_ = false;
};

}  // namespace trm_test
