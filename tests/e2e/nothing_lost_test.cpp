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
    EXPECT_EQ(run.Report("added"), Strings{});
    EXPECT_EQ(run.Report("verdict"), Strings{"failed error ioerror load_file"});
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

// Data that lost a line, or took a character that is no hex digit on the way, are refused
// whole: the printer keeps its old file, changes nothing else and says why.
TEST_F(NothingLost, DamagedDataKeepTheOldFile) {
  std::string data;
  for (int k = 0; k < 3000; ++k) data.push_back(static_cast<char>(k * 13 + k / 300));
  const fs::path local = Local("f", data);
  const struct {
    bool hex;
    std::size_t drop;  // characters dropped at the start of the second data line
    char replace;      // or the digit at offset 100 of the first line becomes this
    const char* reason;
  } cases[] = {
      {false, 641, 0, "data short: 2488 of 3000 bytes arrived"},
      {true, 0, 'G', "bad data: 2999 of 3000 bytes arrived"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.hex ? "hex" : "ascii85");
    fs::remove_all(disk_);
    WriteFile(disk_ / "mtbc/mislib/f", "old");
    WriteFile(disk_ / "mtbc/formlib/other.frm", "other");
    std::vector<std::string> args = {"load-files", local.string() + "=mtbc/mislib/f"};
    if (c.hex) args.push_back("--hex");
    std::string job = ReadFile(MakeJob(c.hex ? "hex.kj" : "a85.kj", args));
    const std::size_t firstLine = job.find("load_file\n") + 10;
    const std::size_t secondLine = job.find('\n', firstLine) + 1;
    EXPECT_EQ(job.compare(firstLine, 2, "<~") == 0, !c.hex);
    if (c.drop > 0) {
      ASSERT_EQ(job[secondLine + c.drop - 1], '\n');  // a whole line of 640 characters
      job.erase(secondLine, c.drop);
    } else {
      job[firstLine + 100] = c.replace;
    }
    WriteFile(root_ / "damaged.ps", job);
    const Outcome run = Kmsim({(root_ / "damaged.ps").string()});
    EXPECT_NE(run.status, 0);
    EXPECT_EQ(DiskFiles(), (Strings{"mtbc/formlib/other.frm", "mtbc/mislib/f"}));
    EXPECT_TRUE(ReadFile(disk_ / "mtbc/mislib/f") == "old");
    EXPECT_TRUE(ReadFile(disk_ / "mtbc/formlib/other.frm") == "other");
    EXPECT_NE(run.err.find(std::string("load_file failed: mtbc/mislib/f: ") + c.reason),
              std::string::npos)
        << run.err;
  }
}

TEST_F(NothingLost, EmptyJob) {
  ReplaceJob(false);
  WriteFile(root_ / "empty.ps", "");
  const Outcome run = Kmsim({(root_ / "empty.ps").string()});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.Report("verdict"), Strings{"failed empty"});
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
  EXPECT_EQ(run.Report("verdict")[0].rfind("failed error ", 0), 0u) << run.out;
  for (int i = 1; i <= 3; ++i) {
    EXPECT_EQ(ReadFile(disk_ / ("mtbc/mislib/f" + std::to_string(i))), "old " + std::to_string(i));
  }
}

}  // namespace
}  // namespace e2e
