// kmsim in run mode: the disk it shows, the file operators it maps, what it refuses, its
// report and verdicts.

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "e2e_fixture.h"

namespace e2e {
namespace {

using KmsimRun = E2eTest;

TEST_F(KmsimRun, UsageErrors) {
  const std::string job = Job("j.ps", "%!\n").string();
  EXPECT_EQ(km_test::RunProgram(KMSIM_PATH, {job}, {root_.path(), {}, {}, {}}).status, 2);
  // --keep-jobs only with --listen.
  for (const Strings& usage : {Strings{},
                               {"--frobnicate", job},
                               {"--timeout", "x", job},
                               {"--listen", "127.0.0.1:0", job},
                               {"--listen", "127.0.0.1"},
                               {"--keep-jobs", "k", job},
                               {"--memory-limit", "0", job},
                               {"--file-size-limit", "-1", job},
                               {"--receive-timeout", "0", job},
                               {"--max-job-bytes", "-1", job}}) {
    EXPECT_EQ(Kmsim(usage).status, 2) << testing::PrintToString(usage);
  }
  EXPECT_FALSE(fs::exists(disk_));
  // Only loopback addresses without --allow-remote.
  const ProcessResult open = Kmsim({"--listen", "0.0.0.0:0"});
  EXPECT_EQ(open.status, 2);
  EXPECT_NE(open.err.find("loopback"), std::string::npos) << open.err;
}

// The interpreter's sandbox splits paths at ":" and reads "*" as a pattern; it never sees
// the disk's path, so any folder name works.
TEST_F(KmsimRun, AnyDiskFolderName) {
  const fs::path job = Job("j.ps", "%!\n(mtbc/a) (w) file dup (a) writestring closefile\n");
  for (const char* name : {"disk:1", "disk*[x]?", "a:b/c:d"}) {
    SCOPED_TRACE(name);
    disk_ = root_ / name;
    const ProcessResult run = Kmsim({job.string()});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(Report(run, "added"), Strings{"mtbc/a"});
    EXPECT_EQ(ReadFile(disk_ / "mtbc/a"), "a");
  }
}

TEST_F(KmsimRun, FileOperatorsOfAJobActOnTheDisk) {
  const fs::path job = Job("ops.ps", R"(%!
(mtb/src/mtbdep) (w) file dup (/KMDEP 42 def) writestring closefile
(mtb/src/mtbdep) run KMDEP 42 ne { wrong_value } if
(mtb/src/mtbdep) status { pop pop pop pop } { not_found } ifelse
(mtb/src/none) status { found_missing_file } if
(mtb/src/mtbdep) (mtb/src/copy) renamefile
(mtb/src/copy) (r) file dup 100 string readstring pop exch closefile
  (/KMDEP 42 def) ne { wrong_content } if
(mtb/src/gone) (w) file closefile (mtb/src/gone) deletefile
[ (mtb/*) { dup length string copy } 256 string filenameforall ]
  dup length 1 ne { wrong_count } if 0 get (mtb/src/copy) ne { wrong_name } if
true () startjob pop false () startjob pop
)");
  const ProcessResult run = Kmsim({job.string()});
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(Report(run, "verdict"), Strings{"ok"});
  // Only what is on the disk after the job counts: mtbdep moved, gone came and went.
  EXPECT_EQ(Report(run, "added"), Strings{"mtb/src/copy"});
  EXPECT_EQ(Report(run, "removed"), Strings{});
  EXPECT_EQ(DiskFiles(), Strings{"mtb/src/copy"});
  EXPECT_EQ(ReadFile(disk_ / "mtb/src/copy"), "/KMDEP 42 def");
}

TEST_F(KmsimRun, NamesThatLeaveTheDiskAreRefused) {
  const std::string outside = (root_ / "outside").string();
  const struct {
    std::string job;
    std::string verdict;
  } cases[] = {
      {"(../outside) (w) file", "failed error invalidfileaccess file"},
      {"(" + outside + ") (w) file", "failed error invalidfileaccess file"},
      {"(mtb/../../outside) run", "failed error invalidfileaccess run"},
      {"(../outside) status", "failed error invalidfileaccess status"},
      {"(x) (../outside) renamefile", "failed error invalidfileaccess renamefile"},
      {"(.kmsim/lock) deletefile", "failed error invalidfileaccess deletefile"},
      {"(../*) {} 100 string filenameforall", "failed error invalidfileaccess filenameforall"},
      // The folder view would cut the name at the NUL and overwrite "a".
      {"(a\\000) (w) file", "failed error invalidfileaccess file"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.job);
    const ProcessResult run = Kmsim({Job("escape.ps", "%!\n" + c.job + "\n").string()});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(Report(run, "verdict"), Strings{c.verdict});
    EXPECT_EQ(Report(run, "added"), Strings{});
    EXPECT_FALSE(fs::exists(root_ / "outside"));
  }
  // The interpreter's own operators are confined as well: nothing outside DIR opens.
  WriteFile(root_ / "secret", "s");
  const ProcessResult direct = Kmsim(
      {Job("direct.ps", "%!\n(" + (root_ / "secret").string() + ") (r) systemdict /file get exec\n")
           .string()});
  EXPECT_EQ(direct.status, 1);
  EXPECT_EQ(Report(direct, "verdict"), Strings{"failed error invalidfileaccess file"});
  EXPECT_TRUE(fs::exists(disk_ / ".kmsim" / "lock"));
}

TEST_F(KmsimRun, LoadFileWithAnEscapingNameStoresNothingAndGoesOn) {
  const fs::path a = Local("a.txt", "A");
  const fs::path b = Local("b.txt", "B");
  const fs::path job = MakeJob(
      "load.kj", {"load-files", a.string() + "=../../escaped", b.string() + "=mtbc/mislib/b.txt"});
  const ProcessResult run = Kmsim({job.string()});
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(Report(run, "added"), Strings{"mtbc/mislib/b.txt"});
  EXPECT_EQ(DiskFiles(), Strings{"mtbc/mislib/b.txt"});
  EXPECT_FALSE(fs::exists(root_ / "escaped"));
  EXPECT_FALSE(fs::exists(root_.path().parent_path() / "escaped"));
}

TEST_F(KmsimRun, ShowsTheDiskAsFolders) {
  WriteFile(disk_ / "mtbc/formlib/old.frm", "old");
  WriteFile(disk_ / "mtbc/empty/.keep-me-not", "");
  fs::create_symlink("/etc", disk_ / "etc");
  // A file and a folder of the same name cannot both be shown.
  const fs::path job = Job("tree.ps", R"(%!
(mtbc/formlib/old.frm) status { pop pop pop pop } { old_file_not_seen } ifelse
(etc/hostname) status { link_followed } if
(a) (w) file closefile (a/b) (w) file closefile
)");
  const ProcessResult run = Kmsim({job.string()});
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(Report(run, "skipped"), Strings{"etc symlink"});
  EXPECT_EQ(Report(run, "conflict"), Strings{"a/b"});
  EXPECT_TRUE(fs::is_symlink(disk_ / "etc"));
  EXPECT_EQ(DiskFiles(), (Strings{"a", "mtbc/empty/.keep-me-not", "mtbc/formlib/old.frm"}));
  EXPECT_TRUE(fs::exists(disk_ / ".kmsim/flat/a%2Fb"));
  // The stranded file is still on the printer for the next job.
  const ProcessResult next =
      Kmsim({Job("next.ps", "%!\n(a/b) status { pop pop pop pop } { lost } ifelse\n").string()});
  EXPECT_EQ(Report(next, "verdict"), Strings{"ok"}) << next.err;
}

TEST_F(KmsimRun, FinishesWhatAStoppedRunLeftBehind) {
  // A run killed between job and folder view leaves the disk in the flat folder.
  WriteFile(disk_ / ".kmsim/flat/mtbc%2Fformlib%2Fleft.frm", "left");
  WriteFile(disk_ / ".kmsim/flat/not%zzflat", "?");
  const ProcessResult run = Kmsim({Job("j.ps", "%!\n").string()});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadFile(disk_ / "mtbc/formlib/left.frm"), "left");
  EXPECT_EQ(Report(run, "stranded"), Strings{"not%25zzflat"});
  EXPECT_EQ(DiskFiles(), Strings{"mtbc/formlib/left.frm"});
}

TEST_F(KmsimRun, VerdictsAndExitStatus) {
  const fs::path bad = Job("bad.ps", "%!\n1 2 add pop\nnosuchcommand\n");
  const fs::path good = Job("good.ps", "%!\n(fine) pop\n");
  const fs::path empty = Job("empty.ps", "");
  const ProcessResult run = Kmsim({bad.string(), good.string(), empty.string()});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(Report(run, "verdict"),
            (Strings{"failed error undefined nosuchcommand", "ok", "failed empty"}));
  EXPECT_EQ(Report(run, "job").size(), 3u);
  EXPECT_EQ(Kmsim({good.string()}).status, 0);

  const ProcessResult slow = Kmsim({"--timeout", "1", Job("loop.ps", "%!\n{ } loop\n").string()});
  EXPECT_EQ(slow.status, 1);
  EXPECT_EQ(Report(slow, "verdict"), Strings{"failed timeout"});
}

TEST_F(KmsimRun, PagesAsPng) {
  const fs::path job = Job("pages.ps", R"(%!
/Courier findfont 20 scalefont setfont
72 700 moveto (first page) show showpage
72 700 moveto (second page) show showpage
)");
  const ProcessResult png = Kmsim({"--pages", (root_ / "pages").string(), job.string()});
  ASSERT_EQ(png.status, 0) << png.err;
  const Strings pages = Report(png, "page");
  ASSERT_EQ(pages.size(), 2u);
  for (const std::string& page : pages) EXPECT_EQ(ReadFile(page).substr(1, 3), "PNG");
  EXPECT_EQ(fs::path(pages[1]).filename(), "job1-page2.png");
}

TEST_F(KmsimRun, OneKmsimPerDisk) {
  fs::create_directories(disk_ / ".kmsim");
  // The lock held elsewhere: kmsim refuses to share the disk.
  const int lock = ::open((disk_ / ".kmsim/lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  ASSERT_EQ(flock(lock, LOCK_EX), 0);
  const ProcessResult run = Kmsim({Job("j.ps", "%!\n").string()});
  close(lock);
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("in use"), std::string::npos) << run.err;
  EXPECT_EQ(Kmsim({Job("j.ps", "%!\n").string()}).status, 0);
}

}  // namespace
}  // namespace e2e
