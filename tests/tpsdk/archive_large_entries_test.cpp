// Archives whose entries are far larger than the pieces the engine reads at once: skipping,
// finding and extracting across piece boundaries, and a cut archive still named as such.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "archive_engine.h"
#include "file_io.h"
#include "process.h"
#include "random_bytes.h"
#include "scratch_folder.h"

namespace {

namespace fs = std::filesystem;
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

fs::path Enter(const fs::path& folder) {
  fs::create_directories(folder);
  fs::current_path(folder);
  return folder;
}

void ExpectAllExtracted(const std::vector<Member>& members) {
  for (const Member& m : members) EXPECT_TRUE(ReadFile(m.name) == m.data) << m.name;
  EXPECT_EQ(FolderEntries(".").size(), members.size());
}

TEST(ArchiveLargeEntries, TarSkipsFindsAndExtractsAcrossPieces) {
  const ScratchFolder scratch("km_large");
  const std::vector<Member> members = Members();
  std::vector<std::string> arguments = {"--format=ustar", "-cf", (scratch / "p.tar").string()};
  for (const Member& m : members) {
    scratch.File("src/" + m.name, m.data);
    arguments.push_back(m.name);
  }
  km_test::RunTool("tar", arguments, scratch / "src");
  const std::string archive = (scratch / "p.tar").string();
  ArchiveEngine engine;

  Enter(scratch / "all");
  EXPECT_EQ(engine.Extract(archive), "");
  ExpectAllExtracted(members);
  Enter(scratch / "one");
  EXPECT_EQ(engine.ExtractOne(archive, "tail"), "");
  EXPECT_EQ(FolderEntries("."), (std::vector<std::string>{"tail"}));
  Enter(scratch / "validate");
  EXPECT_EQ(engine.Validate(archive), "");
  EXPECT_EQ(FolderEntries("."), (std::vector<std::string>{"proj.tpf"}));

  // Cut at a record boundary inside big2: the scan before the extraction still reports it.
  const std::string cut = scratch.File("cut.tar", ReadFile(archive).substr(0, 1954 * 512)).string();
  Enter(scratch / "cut");
  EXPECT_EQ(engine.ExtractOne(cut, "proj.tpf"),
            tpsdk::FormatMessage(tpsdk::kInternalFailure, {75, "big2", "Input/output error"}));
}

TEST(ArchiveLargeEntries, ZipOfOtherToolsExtractsAcrossWindows) {
  const ScratchFolder scratch("km_large");
  const std::vector<Member> members = Members();
  std::vector<std::string> arguments = {"-q", (scratch / "p.zip").string()};
  for (const Member& m : members) {
    scratch.File("src/" + m.name, m.data);
    arguments.push_back(m.name);
  }
  km_test::RunTool("zip", arguments, scratch / "src");
  const std::string archive = (scratch / "p.zip").string();
  ArchiveEngine engine;

  Enter(scratch / "all");
  EXPECT_EQ(engine.Extract(archive), "");
  ExpectAllExtracted(members);
  Enter(scratch / "one");
  EXPECT_EQ(engine.ExtractOne(archive, "tail"), "");
  EXPECT_EQ(ReadFile("tail"), "t");
}

}  // namespace
