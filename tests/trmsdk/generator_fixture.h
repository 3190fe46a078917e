#pragma once
// A started generator for each test, in a scratch folder whose "work" is the working directory
// and whose "tmp" is the temporary folder.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "env_override.h"
#include "file_io.h"
#include "scratch_folder.h"
#include "trm.h"

namespace trm_test {

namespace fs = std::filesystem;
using km_test::ReadFile;
using km_test::WriteFile;

class GeneratorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(scratch_ / "tmp");
    fs::create_directories(scratch_ / "work");
    fs::current_path(scratch_ / "work");
    if (startGenerator_) {
      ASSERT_EQ(trmInitialize(), TRM_OK);
    }
  }
  void TearDown() override { trmFinished(); }

  fs::path Path(std::string_view relative) const { return scratch_ / relative; }
  std::string Output() const { return Path("out/job.ps").string(); }

  bool startGenerator_ = true;

 private:
  km_test::ScratchFolder scratch_{"km_trm"};
  km_test::EnvOverride tmpdir_{"TMPDIR", (scratch_ / "tmp").string()};
};

}  // namespace trm_test
