#pragma once
// Each test gets a scratch folder with a printer disk; jobs come from kmjob and run on kmsim,
// both started as the user would start them.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "file_io.h"
#include "process.h"
#include "scratch_folder.h"

namespace e2e {

namespace fs = std::filesystem;
using km_test::Lines;
using km_test::ProcessResult;
using km_test::ReadFile;
using km_test::WriteFile;
using Strings = std::vector<std::string>;

// The rest of each report line of one kind ("added", "verdict", ...), in order.
inline Strings Report(const ProcessResult& run, std::string_view kind) {
  Strings names;
  const std::string prefix = std::string(kind) + " ";
  for (const std::string& line : Lines(run.out)) {
    if (line.rfind(prefix, 0) == 0) names.push_back(line.substr(prefix.size()));
  }
  return names;
}

class E2eTest : public ::testing::Test {
 protected:
  ProcessResult Kmjob(const Strings& arguments) const {
    return km_test::RunProgram(KMJOB_PATH, arguments, {root_.path(), {}, {}, {}});
  }
  // kmjob writing root/<name>; fails the test when kmjob fails.
  fs::path MakeJob(const std::string& name, Strings arguments) const {
    arguments.insert(arguments.end(), {"--output", (root_ / name).string(), "--overwrite"});
    const ProcessResult made = Kmjob(arguments);
    EXPECT_EQ(made.status, 0) << made.err;
    return root_ / name;
  }
  ProcessResult Kmsim(Strings arguments) const {
    arguments.insert(arguments.begin(), {"--disk", disk_.string()});
    return km_test::RunProgram(KMSIM_PATH, arguments, {root_.path(), {}, {}, {}});
  }
  fs::path Local(const std::string& name, std::string_view bytes) const {
    return root_.File("local/" + name, bytes);
  }
  fs::path Job(const std::string& name, std::string_view text) const {
    return root_.File(name, text);
  }
  // Every file of the disk's folder view, as printer names, sorted.
  Strings DiskFiles() const {
    Strings names;
    if (!fs::exists(disk_)) return names;
    for (fs::recursive_directory_iterator it(disk_), end; it != end; ++it) {
      if (it.depth() == 0 && it->path().filename() == ".kmsim") {
        it.disable_recursion_pending();
      } else if (it->is_regular_file()) {
        names.push_back(it->path().lexically_relative(disk_).string());
      }
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  km_test::ScratchFolder root_{"km_e2e"};
  fs::path disk_ = root_ / "disk";
};

}  // namespace e2e
