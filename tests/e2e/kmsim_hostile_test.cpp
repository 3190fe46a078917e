// kmsim against hostile jobs and hostile neighbours: a job cannot write the report, reach
// the terminal, keep files beside the disk, outlive kmsim or outgrow its limits; links put
// into the disk folder lead nothing out of it.

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <thread>

#include "e2e_fixture.h"
#include "running_program.h"
#include "session.h"

namespace e2e {
namespace {

// Bytes that would act on a terminal: controls other than line end and tab.
bool HasControlBytes(const std::string& text) {
  return std::any_of(text.begin(), text.end(), [](char ch) {
    const auto c = static_cast<unsigned char>(ch);
    return (c < ' ' && c != '\n' && c != '\t') || c >= 0x7f;
  });
}

// (a) (b) cat -> (ab), for jobs that make names.
const std::string kConcat =
    "%!\n/cat { 1 index length 1 index length add string dup 0 4 index putinterval "
    "dup 3 index length 4 -1 roll putinterval exch pop } def\n";

class KmsimHostile : public E2eTest {
 protected:
  // Size of the file the growing job writes, wherever kmsim holds it; -1 when absent.
  long long GrowingSize() const {
    std::error_code ec;
    for (const fs::path& path : {disk_ / ".kmsim/flat/grow", disk_ / "grow"}) {
      const auto size = fs::file_size(path, ec);
      if (!ec) return static_cast<long long>(size);
    }
    return -1;
  }
};

TEST_F(KmsimHostile, TheReportIsKmsimsOwn) {
  WriteFile(disk_ / "mtbc/old", "old");
  WriteFile(disk_ / "mtbc/grown", "grown");
  WriteFile(disk_ / "mtbc/same", "same");
  const fs::path job = Job("hostile.ps", R"(%!
userdict /kmReportFile known { kmReportFile (added forged\n) writestring } if
/kmReport { pop pop } def
(mtbc/plain) (w) file dup (data) writestring closefile
(mtbc/old) deletefile
(mtbc/grown) (a) file dup ( more) writestring closefile
(mtbc/same) (r) file closefile
(added printed\nverdict ok\n\033]0;title\007\033[2J\233) print
(\033[31mbad) cvn cvx exec
)");
  const ProcessResult run = Kmsim({job.string()});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(Lines(run.out),
            (Strings{"job 1 " + job.string(), "replaced mtbc/grown", "removed mtbc/old",
                     "added mtbc/plain", "verdict failed error undefined %1B[31mbad"}));
  EXPECT_FALSE(HasControlBytes(run.out));
  EXPECT_FALSE(HasControlBytes(run.err));
  // The job's printing is shown, marked as the interpreter's.
  EXPECT_NE(run.err.find("\n| added printed\n| verdict ok\n| \\x1B]0;title\\x07"),
            std::string::npos)
      << run.err;
}

TEST_F(KmsimHostile, NothingStaysBesideTheDisk) {
  // The job tries every folder the interpreter may write to: the temporary folder under its
  // real name and each inherited handle. What reached the disk is reported; nothing else stays.
  const fs::path job =
      Job("stash.ps", kConcat + "{ (" + (disk_ / ".kmsim/tmp/stash").string() +
                          ") (w) file closefile } stopped pop\n"
                          "3 1 30 { 20 string cvs (/proc/self/fd/) exch cat "
                          "(/stash) cat { (w) file closefile } stopped pop } for\n");
  const ProcessResult run = Kmsim({job.string()});
  EXPECT_EQ(Report(run, "verdict"), Strings{"ok"}) << run.err;
  EXPECT_EQ(Report(run, "added"), Strings{"stash"});
  for (const char* folder : {".kmsim/tmp", ".kmsim/run"}) {
    EXPECT_TRUE(fs::is_empty(disk_ / folder)) << folder;
  }
}

TEST_F(KmsimHostile, LimitsFailTheJobNotKmsim) {
  const ProcessResult memory =
      Kmsim({"--memory-limit", "100",
             Job("memory.ps", "%!\n/a [ 0 1 1000 { pop 1000000 string } for ] def\n").string()});
  EXPECT_EQ(memory.status, 1);
  ASSERT_EQ(Report(memory, "verdict").size(), 1u);
  EXPECT_EQ(Report(memory, "verdict")[0].rfind("failed error VMerror ", 0), 0u) << memory.out;

  // A file over the size limit fails its upload; the job cleans up after itself and the
  // files before it stay.
  const std::string big(1536 * 1024, 'b');
  const fs::path load =
      MakeJob("load.kj", {"load-files", Local("small", "small").string() + "=small",
                          Local("big", big).string() + "=big"});
  const ProcessResult size = Kmsim({"--file-size-limit", "1", load.string()});
  EXPECT_EQ(size.status, 1);
  EXPECT_EQ(Report(size, "verdict"), Strings{"failed error ioerror load_file"}) << size.err;
  EXPECT_EQ(DiskFiles(), Strings{"small"});
  EXPECT_TRUE(fs::is_empty(disk_ / ".kmsim/flat"));
  EXPECT_EQ(Kmsim({"--file-size-limit", "2", load.string()}).status, 0);
  EXPECT_TRUE(ReadFile(disk_ / "big") == big);
}

TEST_F(KmsimHostile, TheReportOfAJobIsBounded) {
  const int files = static_cast<int>(kmsim::kMaxRecordsPerJob) + 3;
  const ProcessResult run =
      Kmsim({Job("many.ps", kConcat + "1 1 " + std::to_string(files) +
                                " { 10 string cvs (f) exch cat (w) file closefile "
                                "} for\n")
                 .string()});
  EXPECT_EQ(Report(run, "verdict"), Strings{"ok"}) << run.err;
  EXPECT_EQ(Report(run, "added").size(), kmsim::kMaxRecordsPerJob);
  EXPECT_EQ(Report(run, "more"), Strings{"3"});
  EXPECT_EQ(DiskFiles().size(), static_cast<std::size_t>(files));
}

TEST_F(KmsimHostile, TheInterpreterEndsWithKmsim) {
  const fs::path job =
      Job("grow.ps", "%!\n/f (grow) (w) file def { f (xxxxxxxx) writestring f flushfile } loop\n");
  for (int signal : {SIGTERM, SIGINT, SIGKILL}) {
    SCOPED_TRACE(signal);
    fs::remove_all(disk_);
    km_test::RunningProgram kmsim(KMSIM_PATH, {"--disk", disk_.string(), job.string()},
                                  root_ / "kmsim.err");
    for (int i = 0; i < 3000 && GrowingSize() <= 0; ++i) usleep(10000);
    ASSERT_GT(GrowingSize(), 0) << ReadFile(root_ / "kmsim.err");
    const int status = kmsim.Stop(signal);
    if (signal != SIGKILL) {
      // Stopped in order: the job is reported, its file is back in the folder view.
      EXPECT_EQ(status, 1);
      std::string line;
      while (!(line = kmsim.NextLine()).empty() && line != "verdict failed interrupted") {
      }
      EXPECT_EQ(line, "verdict failed interrupted");
      EXPECT_TRUE(fs::exists(disk_ / "grow"));
    }
    // The disk stays locked until the interpreter is gone; after that nothing writes.
    const int lock = ::open((disk_ / ".kmsim/lock").c_str(), O_RDWR);
    ASSERT_GE(lock, 0);
    ASSERT_EQ(flock(lock, LOCK_EX), 0);
    const long long size = GrowingSize();
    usleep(300000);
    EXPECT_EQ(GrowingSize(), size);
    close(lock);
  }
}

TEST_F(KmsimHostile, LinksInTheDiskAreNeverFollowed) {
  WriteFile(root_ / "outside/secret", "secret");
  WriteFile(root_ / "outside/linked", "linked");
  fs::create_directories(disk_ / "mtbc");
  fs::create_symlink(root_ / "outside/secret", disk_ / "mtbc/symlink");
  fs::create_hard_link(root_ / "outside/linked", disk_ / "mtbc/hardlink");
  ASSERT_EQ(mkfifo((disk_ / "mtbc/fifo").c_str(), 0644), 0);
  const fs::path job = Job("links.ps", R"(%!
[ (mtbc/symlink) (mtbc/hardlink) (mtbc/fifo) ] {
  dup status { seen_a_link } if
  (w) file dup (job data) writestring closefile
} forall
)");
  const ProcessResult run = Kmsim({job.string()});
  EXPECT_EQ(Report(run, "verdict"), Strings{"ok"}) << run.err;
  EXPECT_EQ(Report(run, "skipped"),
            (Strings{"mtbc/fifo special-file", "mtbc/hardlink hard-link", "mtbc/symlink symlink"}));
  EXPECT_EQ(ReadFile(root_ / "outside/secret"), "secret");
  EXPECT_EQ(ReadFile(root_ / "outside/linked"), "linked");
  // The job's file takes the hard link's name; a link or special file keeps its own.
  EXPECT_EQ(ReadFile(disk_ / "mtbc/hardlink"), "job data");
  EXPECT_EQ(fs::hard_link_count(disk_ / "mtbc/hardlink"), 1u);
  EXPECT_TRUE(fs::is_symlink(disk_ / "mtbc/symlink"));
  EXPECT_EQ(Report(run, "conflict"), (Strings{"mtbc/fifo", "mtbc/symlink"}));
}

TEST_F(KmsimHostile, AFileSwappedForALinkLeadsNoJobOut) {
  // A neighbour swaps files of the disk for links to a file elsewhere, and back, while
  // kmsim moves them in for the job, which appends to each file it finds.
  WriteFile(root_ / "outside/secret", "secret");
  constexpr int kFiles = 50;
  fs::create_directories(disk_);
  std::atomic<bool> done{false};
  std::thread neighbour([&] {
    for (int i = 0; !done; i = (i + 1) % kFiles) {
      const fs::path file = disk_ / ("f" + std::to_string(i));
      const fs::path next = disk_ / ("next" + std::to_string(i));
      if (i % 2) {
        ::symlink((root_ / "outside/secret").c_str(), next.c_str());
      } else {
        ::close(::open(next.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644));
      }
      ::rename(next.c_str(), file.c_str());
      if (i % 2 == 0) {
        ::symlink((root_ / "outside/secret").c_str(), next.c_str());
        ::rename(next.c_str(), file.c_str());
      }
    }
  });
  const fs::path job =
      Job("append.ps", kConcat + "0 1 " + std::to_string(kFiles - 1) +
                           " { 10 string cvs (f) exch cat dup status { pop pop pop "
                           "pop (a) file dup (job) writestring closefile } { pop } "
                           "ifelse } for\n");
  for (int run = 0; run < 10; ++run) {
    const ProcessResult outcome = Kmsim({job.string()});
    EXPECT_EQ(Report(outcome, "verdict"), Strings{"ok"}) << outcome.err;
  }
  done = true;
  neighbour.join();
  EXPECT_EQ(ReadFile(root_ / "outside/secret"), "secret");
}

TEST_F(KmsimHostile, AFolderSwappedForALinkLeadsNoFileOut) {
  // A neighbour swaps the folder for a link to elsewhere, again and again, while kmsim
  // puts the job's files into it.
  fs::create_directories(root_ / "outside");
  fs::create_directories(disk_);
  constexpr int kFiles = 400;
  const fs::path job =
      Job("many.ps", kConcat + "0 1 " + std::to_string(kFiles - 1) +
                         " { 10 string cvs (d/f) exch cat (w) file closefile } for\n");
  std::atomic<bool> done{false};
  std::thread neighbour([&] {
    const fs::path folder = disk_ / "d";
    const fs::path aside = disk_ / "aside";
    while (!done) {
      if (::rename(folder.c_str(), aside.c_str()) != 0) continue;
      ::symlink((root_ / "outside").c_str(), folder.c_str());
      std::this_thread::yield();
      ::unlink(folder.c_str());
      ::rename(aside.c_str(), folder.c_str());
    }
  });
  const ProcessResult run = Kmsim({job.string()});
  done = true;
  neighbour.join();
  EXPECT_EQ(Report(run, "verdict"), Strings{"ok"}) << run.err;
  EXPECT_EQ(Report(run, "added").size(), static_cast<std::size_t>(kFiles));
  EXPECT_TRUE(fs::is_empty(root_ / "outside"));
  // Nothing is lost either: each file is in the folder view or waits in the flat folder.
  std::size_t found = 0;
  for (fs::recursive_directory_iterator it(disk_), end; it != end; ++it) {
    const std::string name = it->path().filename().string();
    if (it->is_regular_file() && (name[0] == 'f' || name.rfind("d%2Ff", 0) == 0)) ++found;
  }
  EXPECT_EQ(found, static_cast<std::size_t>(kFiles));
}

}  // namespace
}  // namespace e2e
