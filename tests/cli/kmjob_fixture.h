#pragma once
// kmjob run as the user runs it, in a scratch folder of the test's own, against a print
// server that is not there.

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "file_io.h"
#include "process.h"
#include "scratch_folder.h"

namespace kmjob_test {

class KmjobTest : public ::testing::Test {
 protected:
  km_test::ProcessResult Kmjob(const std::vector<std::string>& arguments,
                               std::optional<rlim_t> fileSizeLimit = std::nullopt) const {
    const std::string noServer = (dir_ / "no-server.sock").string();
    return km_test::RunProgram(KMJOB_PATH, arguments,
                               {dir_.path(), {{"CUPS_SERVER", noServer}}, fileSizeLimit, {}});
  }
  std::string File(const std::string& name, const std::string& bytes) const {
    return dir_.File(name, bytes).string();
  }
  std::string Path(const std::string& name) const { return (dir_ / name).string(); }

  km_test::ScratchFolder dir_{"km_cli"};
};

}  // namespace kmjob_test
