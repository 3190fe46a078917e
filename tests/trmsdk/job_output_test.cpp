// Where and how a job file is written: the longest name, an output that appears while the
// job is written, outputs that are links or not files at all, leftovers of killed writers.

#include <gmock/gmock.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <string>
#include <vector>

#include "frame/job_file.h"
#include "frame/records.h"
#include "generator_fixture.h"
#include "process.h"

namespace trm_test {
namespace {

using km_test::FolderEntries;
using ::testing::StartsWith;

constexpr const char* kListingStart = "%!\n%%Title: trmListPrinterFiles";

class JobOutputTest : public GeneratorTest {
 protected:
  // A listing job, the smallest there is, to the given output.
  int WriteListing(const std::string& output, bool replace = false) {
    return trmListPrinterFiles(NewFos().get(),
                               NewVos(output, replace ? TRM_FLAG_REPLACE : 0).get());
  }
};

TEST_F(JobOutputTest, LongestNameIsWritten) {
  const std::string longestName = Path("out/" + std::string(252, 'n') + ".ps").string();
  ASSERT_EQ(fs::path(longestName).filename().string().size(), 255u);
  EXPECT_EQ(WriteListing(longestName), TRM_OK) << trmGetLastMessage();
  EXPECT_THAT(ReadFile(longestName), StartsWith(kListingStart));
  EXPECT_EQ(FolderEntries(Path("out")), std::vector<std::string>{fs::path(longestName).filename()});
  EXPECT_TRUE(fs::is_empty(Path("tmp")));
}

TEST_F(JobOutputTest, OutputThatCannotBeWritten) {
  // An output folder that cannot be made: nothing is written anywhere.
  WriteFile(Path("blocker"), "a file, not a folder");
  const std::string blocked = Path("blocker/sub/job.ps").string();
  EXPECT_EQ(WriteListing(blocked), TRM_WRITE_PROBLEM);
  EXPECT_STREQ(trmGetLastDetail(), blocked.c_str());
}

TEST_F(JobOutputTest, OutputMadeByAnotherWriterMeanwhileIsKept) {
  trmVOS vos;
  vos.outputPath = Output();
  auto otherWriterFirst = [&](const trm::JobContext& job) {
    WriteFile(Output(), "the other job");
    return job.Section("this job");
  };
  EXPECT_EQ(trm::WriteJob("test", vos, trm::JobBuild::kSections, otherWriterFirst),
            TRM_OUTPUT_EXISTS);
  EXPECT_STREQ(trmGetLastDetail(), Output().c_str());
  EXPECT_EQ(ReadFile(Output()), "the other job");
  EXPECT_EQ(FolderEntries(Path("out")), std::vector<std::string>{"job.ps"});

  // Allowed to replace, the job replaces it.
  vos.flags = TRM_FLAG_REPLACE;
  EXPECT_EQ(trm::WriteJob("test", vos, trm::JobBuild::kSections, otherWriterFirst), TRM_OK);
  EXPECT_EQ(ReadFile(Output()), "this job");
}

TEST_F(JobOutputTest, OnlyRegularFilesAreReplacedLinksStay) {
  fs::create_directories(Path("out"));
  const std::string fifo = Path("out/fifo").string();
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string toDevice = Path("out/null").string();
  fs::create_symlink("/dev/null", toDevice);
  struct Refused {
    std::string output;
    std::string detail;
  };
  const Refused refused[] = {
      {fifo, fifo + ": is a FIFO, not a regular file"},
      {toDevice, toDevice + " -> /dev/null: is a character device, not a regular file"},
      {Path("out").string(), Path("out").string() + ": is a folder"},
  };
  for (const Refused& one : refused) {
    EXPECT_EQ(WriteListing(one.output, true), TRM_WRITE_PROBLEM) << one.output;
    EXPECT_STREQ(trmGetLastDetail(), one.detail.c_str());
  }
  EXPECT_TRUE(fs::is_fifo(fifo));
  EXPECT_TRUE(fs::is_symlink(toDevice));
  EXPECT_TRUE(fs::is_character_file("/dev/null"));

  // A link is written through, into its target's folder, and stays a link.
  WriteFile(Path("real/job.ps"), "old");
  const std::string link = Path("out/link.ps").string();
  fs::create_symlink("../real/job.ps", link);
  EXPECT_EQ(WriteListing(link), TRM_OUTPUT_EXISTS);
  EXPECT_EQ(ReadFile(Path("real/job.ps")), "old");
  EXPECT_EQ(WriteListing(link, true), TRM_OK) << trmGetLastMessage();
  EXPECT_STREQ(trmGetLastDetail(), link.c_str());
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_THAT(ReadFile(Path("real/job.ps")), StartsWith(kListingStart));
  const std::string dangling = Path("out/dangling.ps").string();
  fs::create_symlink("../real/new.ps", dangling);
  EXPECT_EQ(WriteListing(dangling), TRM_OK) << trmGetLastMessage();
  EXPECT_TRUE(fs::is_symlink(dangling));
  EXPECT_THAT(ReadFile(Path("real/new.ps")), StartsWith(kListingStart));
}

TEST_F(JobOutputTest, LeftoversOfKilledWritersGoOnTheNextRun) {
  const km_test::ProcessResult killed = km_test::RunInChild([&] {
    WriteFile(Path("writer.pid"), std::to_string(getpid()));
    trmVOS vos;
    vos.outputPath = Output();
    trm::WriteJob("test", vos, trm::JobBuild::kSections, [](const trm::JobContext& job) {
      job.Section("half a job");
      raise(SIGKILL);
      return TRM_OK;
    });
    return std::string();
  });
  ASSERT_EQ(killed.signal, SIGKILL);
  const std::string child = ReadFile(Path("writer.pid"));
  const std::string deadScratch = ".trm-" + child + "-";
  auto out = FolderEntries(Path("out"));
  ASSERT_EQ(out.size(), 1u);
  EXPECT_THAT(out[0], StartsWith(deadScratch));
  ASSERT_EQ(FolderEntries(Path("tmp")).size(), 1u);

  // Not ours to remove: a live writer's scratch file, names of another shape.
  const std::vector<std::string> kept = {".trm-" + std::to_string(getpid()) + "-0badcafe.part",
                                         ".trm-" + child + "-xyz.part",
                                         "job.ps.trm-" + child + ".part"};
  for (const std::string& name : kept) WriteFile(Path("out/" + name), "x");
  WriteFile(Path("tmp/notes.trm.sem"), child + "\n");

  EXPECT_EQ(WriteListing(Path("out/other.ps").string()), TRM_OK) << trmGetLastMessage();
  std::vector<std::string> expected = kept;
  expected.push_back("other.ps");
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(FolderEntries(Path("out")), expected);
  EXPECT_EQ(FolderEntries(Path("tmp")), std::vector<std::string>{"notes.trm.sem"});
}

}  // namespace
}  // namespace trm_test
