// A job cut short or damaged never destroys a file it was to replace, nor leaves a half file
// under a real name: kmsim reports the error and the files completed before it.

#include "e2e_fixture.h"

namespace e2e {
namespace {

using Strings = std::vector<std::string>;

class NothingLost : public E2eTest {
 protected:
  // Three files on the disk in their old versions, and a job that replaces all three.
  std::string ReplaceJob(bool hex) {
    std::vector<std::string> args = {"load-files"};
    for (int i = 1; i <= 3; ++i) {
      const std::string name = "mtbc/mislib/f" + std::to_string(i);
      WriteFile(disk_ / name, "old " + std::to_string(i));
      std::string data;
      for (int k = 0; k < 20000; ++k) data.push_back(static_cast<char>(k * i + k / 7));
      args.push_back(Local("f" + std::to_string(i), data).string() + "=" + name);
    }
    if (hex) args.push_back("--hex");
    return ReadFile(MakeJob(hex ? "hex.kj" : "a85.kj", args));
  }

  // Offset of the middle of the second record's data.
  static std::size_t InsideSecondFile(const std::string& job) {
    const std::size_t second = job.find("load_file\n", job.find("load_file\n") + 1);
    const std::size_t third = job.find("load_file\n", second + 1);
    return (second + third) / 2;
  }

  void ExpectOnlyFirstReplaced(const Outcome& run) {
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.Report("replaced"), Strings{"mtbc/mislib/f1"});
    EXPECT_EQ(run.Report("failed"), Strings{"mtbc/mislib/f2"});
    EXPECT_EQ(run.Report("verdict"), Strings{"error ioerror load_file"});
    EXPECT_TRUE(ReadFile(disk_ / "mtbc/mislib/f1") == ReadFile(root_ / "local/f1"));
    EXPECT_EQ(ReadFile(disk_ / "mtbc/mislib/f2"), "old 2");
    EXPECT_EQ(ReadFile(disk_ / "mtbc/mislib/f3"), "old 3");
    // No temporary file is left, neither in the folder view nor behind it.
    EXPECT_EQ(DiskFiles(), (Strings{"mtbc/mislib/f1", "mtbc/mislib/f2", "mtbc/mislib/f3"}));
    EXPECT_TRUE(fs::is_empty(disk_ / ".kmsim/flat"));
  }
};

TEST_F(NothingLost, JobCutInsideTheSecondFile) {
  for (bool hex : {false, true}) {
    SCOPED_TRACE(hex ? "hex" : "ascii85");
    const std::string job = ReplaceJob(hex);
    WriteFile(root_ / "cut.ps", job.substr(0, InsideSecondFile(job)));
    ExpectOnlyFirstReplaced(Kmsim({(root_ / "cut.ps").string()}));
  }
}

TEST_F(NothingLost, CorruptedAscii85Line) {
  std::string job = ReplaceJob(false);
  const std::size_t at = InsideSecondFile(job);
  job[at] = job[at] == '\n' ? job[at] : 'v';  // "v" is no ASCII85 digit
  job.insert(at, "v");
  WriteFile(root_ / "corrupt.ps", job);
  ExpectOnlyFirstReplaced(Kmsim({(root_ / "corrupt.ps").string()}));
}

TEST_F(NothingLost, EmptyJob) {
  ReplaceJob(false);
  WriteFile(root_ / "empty.ps", "");
  const Outcome run = Kmsim({(root_ / "empty.ps").string()});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.Report("verdict"), Strings{"empty"});
  for (int i = 1; i <= 3; ++i) {
    EXPECT_EQ(ReadFile(disk_ / ("mtbc/mislib/f" + std::to_string(i))), "old " + std::to_string(i));
  }
}

TEST_F(NothingLost, JobCutInsideThePrologChangesNothing) {
  const std::string job = ReplaceJob(false);
  const std::size_t start = job.find("currentfile eexec");
  const std::size_t end = job.find("%%EndProlog");
  WriteFile(root_ / "cut.ps", job.substr(0, (start + end) / 2));
  const Outcome run = Kmsim({(root_ / "cut.ps").string()});
  EXPECT_EQ(run.status, 1);
  ASSERT_EQ(run.Report("verdict").size(), 1u);
  EXPECT_EQ(run.Report("verdict")[0].rfind("error ", 0), 0u) << run.out;
  for (int i = 1; i <= 3; ++i) {
    EXPECT_EQ(ReadFile(disk_ / ("mtbc/mislib/f" + std::to_string(i))), "old " + std::to_string(i));
  }
}

}  // namespace
}  // namespace e2e
