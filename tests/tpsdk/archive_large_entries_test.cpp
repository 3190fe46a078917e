// Archives whose entries are far larger than the pieces the engine reads at
// once: skipping, finding and extracting across piece boundaries, and a cut
// archive still named as such.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "archive_engine.h"
#include "archive_helpers.h"
#include "file_io.h"
#include "process.h"
#include "random_bytes.h"
#include "scratch_folder.h"

namespace {

namespace fs = std::filesystem;
using km_test::EnterFolder;
using km_test::FolderEntries;
using km_test::ReadFile;
using km_test::ScratchFolder;
using tpsdk::ArchiveEngine;

struct Member {
  std::string name;
  std::string data;
};

// Random entries of several hundred KiB and a long text around two small ones.
std::vector<Member> Members() {
  std::string text;
  while (text.size() < 2000000) text += "newpath 72 700 moveto 540 700 lineto stroke\n";
  return {{"big1", km_test::RandomBytes(700000, 21)},
          {"proj.tpf", "p"},
          {"big2", km_test::RandomBytes(900001, 22)},
          {"text.ps", text},
          {"tail", "t"}};
}

void ExpectAllExtracted(const std::vector<Member>& members) {
  for (const Member& m : members) EXPECT_TRUE(ReadFile(m.name) == m.data) << m.name;
  EXPECT_EQ(FolderEntries(".").size(), members.size());
}

// Tar is read record by record in pieces, zip through windows: both skip, find
// and extract across their boundaries. Validation applies to tar alone here;
// zip's is proven elsewhere.
TEST(ArchiveLargeEntries, SkipsFindsAndExtractsAcrossPieces) {
  const ScratchFolder scratch("km_large");
  const std::vector<Member> members = Members();
  for (const Member& m : members) scratch.File("src/" + m.name, m.data);
  for (const bool tar : {true, false}) {
    SCOPED_TRACE(tar ? "tar" : "zip");
    const std::string archive = (scratch / (tar ? "p.tar" : "p.zip")).string();
    std::vector<std::string> arguments =
        tar ? std::vector<std::string>{"--format=ustar", "-cf", archive}
            : std::vector<std::string>{"-q", archive};
    for (const Member& m : members) arguments.push_back(m.name);
    km_test::RunTool(tar ? "tar" : "zip", arguments, scratch / "src");
    ArchiveEngine engine;
    EnterFolder(scratch / (tar ? "tar_all" : "zip_all"));
    EXPECT_EQ(engine.Extract(archive), "");
    ExpectAllExtracted(members);
    EnterFolder(scratch / (tar ? "tar_one" : "zip_one"));
    EXPECT_EQ(engine.ExtractOne(archive, "tail"), "");
    EXPECT_EQ(FolderEntries("."), (std::vector<std::string>{"tail"}));
    EXPECT_EQ(ReadFile("tail"), "t");
    if (!tar) continue;
    EnterFolder(scratch / "validate");
    EXPECT_EQ(engine.Validate(archive), "");
    EXPECT_EQ(FolderEntries("."), (std::vector<std::string>{"proj.tpf"}));

    // Cut at a record boundary inside big2: the scan before the extraction
    // still reports it.
    const std::string cut =
        scratch.File("cut.tar", ReadFile(archive).substr(0, 1954 * 512)).string();
    EnterFolder(scratch / "cut");
    EXPECT_EQ(engine.ExtractOne(cut, "proj.tpf"),
              tpsdk::FormatMessage(tpsdk::kInternalFailure, {75, "big2", "Input/output error"}));
  }
}

}  // namespace
