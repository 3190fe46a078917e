#pragma once
// Each test gets a scratch folder with a printer disk; jobs come from kmjob and run on kmsim,
// both started as the user would start them.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "file_io.h"
#include "process.h"
#include "scratch_folder.h"
#if __has_include("trm.h")  // only in test programs that link the generator
#include "trm.h"
#endif

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

inline Strings Sorted(Strings names) {
  std::sort(names.begin(), names.end());
  return names;
}

// The last line of the page that names the component or file: a title may name one too.
inline std::string PageLine(const std::string& page, const std::string& component) {
  std::string found = "(no line " + component + ")";
  for (const std::string& line : Lines(page)) {
    if (line.find(component) != std::string::npos) found = line;
  }
  return found;
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
  // Runs the job and expects its verdict; page, when given, gets the text of the one page the
  // job printed, or how many pages there were.
  ProcessResult RunJob(const fs::path& job, std::string* page = nullptr,
                       const std::string& verdict = "ok") const {
    const fs::path pages = root_ / ("pages-" + job.filename().string());
    const ProcessResult run =
        page ? Kmsim({"--pages", pages.string(), "--page-format", "text", job.string()})
             : Kmsim({job.string()});
    EXPECT_EQ(Report(run, "verdict"), Strings{verdict}) << run.out << run.err;
    if (page) {
      const Strings printed = Report(run, "page");
      *page =
          printed.size() == 1 ? ReadFile(printed[0]) : "pages: " + std::to_string(printed.size());
    }
    return run;
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

  // The disk holds exactly these files (printer name -> bytes; empty bytes: any content).
  void ExpectDisk(const std::map<std::string, std::string>& files) const {
    Strings names;
    for (const auto& [name, bytes] : files) {
      names.push_back(name);
      if (!bytes.empty()) {
        EXPECT_TRUE(ReadFile(disk_ / name) == bytes) << name;
      }
    }
    EXPECT_EQ(DiskFiles(), names);
  }

  km_test::ScratchFolder root_{"km_e2e"};
  fs::path disk_ = root_ / "disk";
};

#if __has_include("trm.h")
// Jobs written by the generator in this process, as the desktop utility writes them.
class GeneratorE2eTest : public E2eTest {
 protected:
  void SetUp() override { ASSERT_EQ(trmInitialize(), TRM_OK); }
  void TearDown() override { trmFinished(); }

  // root/name written by a job entry point; fails the test when the generator fails.
  template <class Options>
  fs::path Generate(int (*entry)(const Options*, const trmVOS*), const Options* options,
                    const std::string& name) const {
    std::unique_ptr<trmVOS, int (*)(trmVOS*)> vos(trmNewVOS(), &trmFreeVOS);
    trmVOSSetOutputPath(vos.get(), (root_ / name).c_str());
    trmVOSSetFlags(vos.get(), TRM_FLAG_REPLACE);
    EXPECT_EQ(entry(options, vos.get()), TRM_OK) << trmGetLastMessage();
    return root_ / name;
  }
};
#endif

}  // namespace e2e
