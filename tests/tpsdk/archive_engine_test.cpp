#include "archive_engine.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "archive_helpers.h"
#include "env_override.h"
#include "file_io.h"
#include "process.h"
#include "random_bytes.h"
#include "scratch_folder.h"
#include "tpsdk/tpsdk.h"

namespace {

namespace fs = std::filesystem;
using km_test::EnterFolder;
using km_test::FolderEntries;
using km_test::ReadFile;
using km_test::ScratchFolder;
using km_test::TarFile;
using km_test::TarSpecial;
using tpsdk::ArchiveEngine;
using Strings = std::vector<std::string>;

std::string TarFailure(int tag, const std::string& file, const char* reason) {
  return tpsdk::FormatMessage(tpsdk::kInternalFailure, {tag, file, reason});
}

TEST(ArchiveEngine, OnlyALeadingPKMakesAZipArchive) {
  const km_test::ScratchFolder scratch("km_archive");
  const struct {
    const char* bytes;
    bool tar;
  } cases[] = {{"", true},   {"P", true},  {"PK", false}, {"PK\x03\x04", false},
               {"KP", true}, {"pk", true}, {"xPK", true}};
  for (const auto& c : cases) {
    const auto file = scratch.File("probe", c.bytes);
    EXPECT_EQ(ArchiveEngine::IsTarArchive(file), c.tar) << '"' << c.bytes << '"';
  }
  EXPECT_TRUE(ArchiveEngine::IsTarArchive((scratch / "missing").string()));
}

TEST(ArchiveEngine, CancelNamesTheVolumeAndResetForgetsIt) {
  ArchiveEngine engine;
  engine.SetNameParts("/out", "proj", "/", ".tar");
  engine.SetVolumeCount(2);
  engine.MakeVolumeName(1);
  engine.Cancel();
  EXPECT_TRUE(engine.IsCancelled());
  EXPECT_EQ(engine.ErrorText(),
            "ERROR (Minizip): Internal - tag: 86, file: proj_000002_000002.tar, reason: CANCELLED");
  EXPECT_EQ(engine.ErrorTemplate(), tpsdk::kInternalFailure);
  engine.Reset();
  EXPECT_FALSE(engine.IsCancelled());
  EXPECT_EQ(engine.ErrorText(), "");
  EXPECT_EQ(engine.ErrorTemplate(), "");
}

// An empty hook is never called: the default answers stand.
TEST(ArchiveEngine, EmptyHooksRestoreTheDefaults) {
  ArchiveEngine engine(42);
  EXPECT_EQ(engine.GetUserData(), 42u);
  engine.SetProgressHook({});
  engine.SetVolumeHook({});
  engine.SetOverwriteHook({});
  EXPECT_EQ(engine.CallProgress(), 0);
  EXPECT_EQ(engine.CallVolumeHook(), 0);
  EXPECT_EQ(engine.AskOverwrite("x"), "Y");
}

// The project type of a container, from its project file alone, in a private folder that is
// removed again.
TEST(ArchiveEngine, ProjectTypeOfContainer) {
  const km_test::ScratchFolder scratch("km_archive");
  const km_test::EnvOverride tmp("TMPDIR", (scratch / "tmp").string());
  std::filesystem::create_directories(scratch / "tmp");
  const std::string tpf = scratch.File("src/p.tpf", "<PROJECT_TYPE>PDF</PROJECT_TYPE>").string();
  const std::string resource = scratch.File("src/r.ps", "%!").string();
  struct Case {
    bool tar;
    std::vector<std::string> files;
    int type;
    const char* message;
  };
  const Case cases[] = {
      {false, {tpf, resource}, 2, ""},
      {true, {resource, tpf}, 2, ""},
      {false, {resource}, -1, "ERROR (Minizip): No .tpf file found in archive"},
      {true, {resource}, -1, "Could not find a file with .tpf extension in archive"},
  };
  int n = 0;
  for (const Case& c : cases) {
    ArchiveEngine engine;
    engine.SetTarFormat(c.tar);
    const std::string container = (scratch / ("c" + std::to_string(n++) + ".tpc")).string();
    ASSERT_EQ(engine.Create(container, c.files), "");
    std::string message;
    EXPECT_EQ(tpsdk::TpsdkProjectTypeOfContainer(message, container.c_str()), c.type) << n;
    EXPECT_EQ(message.find(c.message), 0u) << message;
    EXPECT_TRUE(FolderEntries(scratch / "tmp").empty());
  }
  std::string message;
  EXPECT_EQ(tpsdk::TpsdkProjectTypeOfContainer(message, (scratch / "none.tpc").c_str()), -1);
  EXPECT_EQ(message, "Could not open file '" + (scratch / "none.tpc").string() + "'");
}

// The same hostile names in both formats: every entry lands in the folder under its bare name,
// links at those names are replaced and never written through, and "." or ".." make nothing.
// Tar also carries links, devices, folders and set-id modes, which are not made or not kept.
TEST(ArchiveEngine, HostileEntriesStayInside) {
  const km_test::ScratchFolder scratch("km_archive");
  scratch.File("outside.txt", "keep");
  scratch.File("outside2.txt", "keep");
  fs::create_directories(scratch / "outdir");
  const std::vector<std::pair<std::string, std::string>> common = {
      {"../x1", "1"},  {"/abs/x2", "2"},    {"a\\..\\..\\x3", "3"},
      {"victim", "v"}, {"hardvictim", "h"}, {"d/..", "5"},
      {"d/.", "6"},    {"c:\\..", "7"},     {"..", "dots"}};
  std::vector<km_test::TarEntry> tarEntries = {TarSpecial("../../d/", '5'),
                                               TarSpecial("link", '2', "../outside.txt"),
                                               TarSpecial("hard", '1', "../outside.txt"),
                                               TarFile("suid", "s", 04755),
                                               TarSpecial("fifo", '6'),
                                               TarSpecial("dev", '3'),
                                               TarSpecial("/abs/d2", '5'),
                                               TarFile("sgid", "g", 02755),
                                               TarFile("sticky", "t", 01755),
                                               TarSpecial("dlink/", '5')};
  std::vector<km_test::ZipEntry> zipEntries = {{"../../d1/", ""}, {"/abs/d2/", ""}, {"dlink/", ""}};
  for (const auto& [name, data] : common) {
    tarEntries.insert(tarEntries.begin(), TarFile(name, data));
    zipEntries.push_back({name, data});
  }
  const struct {
    bool tar;
    std::string archive;
    std::string error;  // only the first failure is reported
    Strings extracted;
  } cases[] = {
      {true,
       km_test::TarArchive(tarEntries),
       TarFailure(9, "..", "Invalid argument"),
       {"d", "d2", "dlink", "hardvictim", "sgid", "sticky", "suid", "victim", "x1", "x2", "x3"}},
      {false,
       km_test::ZipArchive(zipEntries),
       "",
       {"dlink", "hardvictim", "victim", "x1", "x2", "x3"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tar ? "tar" : "zip");
    const std::string in = c.tar ? "in_tar" : "in_zip";
    const fs::path archive = scratch.File(in + ".archive", c.archive);
    EnterFolder(scratch / in);
    fs::create_symlink("../outside.txt", "victim");
    fs::create_symlink(scratch / "outdir", "dlink");
    fs::create_hard_link("../outside2.txt", "hardvictim");
    EXPECT_EQ(ArchiveEngine().Extract(archive), c.error);
    EXPECT_EQ(FolderEntries("."), c.extracted);
    for (const char* name : {"x1", "x2", "x3", "victim", "hardvictim"}) {
      EXPECT_TRUE(fs::is_regular_file(fs::symlink_status(name))) << name;
    }
    EXPECT_EQ(ReadFile("x3") + ReadFile("victim") + ReadFile("hardvictim"), "3vh");
    EXPECT_TRUE(fs::is_symlink("dlink"));
    EXPECT_TRUE(fs::is_empty(scratch / "outdir"));
    EXPECT_EQ(ReadFile(scratch / "outside.txt") + ReadFile(scratch / "outside2.txt"), "keepkeep");
    if (!c.tar) continue;
    EXPECT_TRUE(fs::is_directory(fs::symlink_status("d")));
    EXPECT_TRUE(fs::is_directory(fs::symlink_status("d2")));
    for (const char* name : {"suid", "sgid", "sticky"}) {
      struct stat st {};
      ASSERT_EQ(stat(name, &st), 0);
      EXPECT_EQ(st.st_mode & 07000, 0u) << name;
    }
  }
  EXPECT_EQ(FolderEntries(scratch.path()),
            (Strings{"in_tar", "in_tar.archive", "in_zip", "in_zip.archive", "outdir",
                     "outside.txt", "outside2.txt"}));
}

// The overwrite hook's answers mean the same in both formats: "N" keeps the old file, "A"
// stops the asking, and without a hook every file is replaced.
TEST(ArchiveEngine, OverwriteHookAnswers) {
  const km_test::ScratchFolder scratch("km_archive");
  const Strings names = {"a", "b", "c"};
  Strings files;
  for (const std::string& name : names)
    files.push_back(scratch.File("src/" + name, "new").string());
  const struct {
    const char* answer;  // empty: the default hook
    std::size_t asked;
    const char* kept;
  } cases[] = {{"", 0, "new"}, {"A", 1, "new"}, {"Y", 3, "new"}, {"N", 3, "old"}};
  for (bool tar : {false, true}) {
    ArchiveEngine engine;
    engine.SetTarFormat(tar);
    const std::string archive = (scratch / (tar ? "p.tar" : "p.zip")).string();
    ASSERT_EQ(engine.Create(archive, files), "");
    for (const auto& c : cases) {
      SCOPED_TRACE(std::string(tar ? "tar " : "zip ") + c.answer);
      EnterFolder(scratch / "out");
      for (const std::string& name : names) km_test::WriteFile(name, "old");
      Strings asked;
      ArchiveEngine extracting;
      if (*c.answer != '\0') {
        extracting.SetOverwriteHook([&](ArchiveEngine&, const std::string& name) {
          asked.push_back(name);
          return std::string(c.answer);
        });
      }
      EXPECT_EQ(extracting.Extract(archive), "");
      EXPECT_EQ(asked, Strings(names.begin(), names.begin() + c.asked));
      EXPECT_EQ(ReadFile("a") + ReadFile("b") + ReadFile("c"),
                std::string(c.kept) + c.kept + c.kept);
    }
  }
}

// A write that fails (a full disk) leaves no partial file and an old file of the entry's name
// whole; tar goes on with the next entry, zip stops there.
TEST(ArchiveEngine, AFullDiskLeavesNoPartialFile) {
  const km_test::ScratchFolder scratch("km_archive");
  const std::string big = km_test::RandomBytes(100000, 6);
  const struct {
    bool tar;
    std::string archive;
    std::string error;  // its start
    Strings extracted;
  } cases[] = {
      {true,
       km_test::TarArchive({TarFile("big", big), TarFile("small", "s")}),
       TarFailure(10, "big", ""),
       {"big", "small"}},
      {false,
       km_test::ZipArchive({{"big", big}, {"small", "s"}}),
       "ERROR (Minizip): Unexpected problem writing file (disk full?)",
       {"big"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.tar ? "tar" : "zip");
    const std::string out = c.tar ? "out_tar" : "out_zip";
    const fs::path archive = scratch.File(out + ".archive", c.archive);
    scratch.File(out + "/big", "old");
    km_test::ProcessOptions full;
    full.fileSizeLimit = 99999;  // a short write, and the entry's last one
    full.workingDirectory = scratch / out;
    const std::string error =
        km_test::RunInChild([&] { return ArchiveEngine().Extract(archive); }, full).out;
    EXPECT_TRUE(error.starts_with(c.error)) << error;
    EXPECT_EQ(FolderEntries(scratch / out), c.extracted);
    EXPECT_EQ(ReadFile(scratch / out / "big"), "old");
  }
}

// Past the 16-bit entry count of a plain zip end record; tar without any index.
TEST(ArchiveEngine, ManyEmptyEntriesAreAllCreated) {
  const km_test::ScratchFolder scratch("km_archive");
  for (bool tar : {false, true}) {
    const std::size_t count = tar ? 20000 : 70000;
    std::vector<km_test::TarEntry> tarEntries(count);
    std::vector<km_test::ZipEntry> zipEntries(count);
    for (std::size_t i = 0; i < count; ++i)
      tarEntries[i].name = zipEntries[i].name = "e" + std::to_string(i);
    const fs::path archive =
        scratch.File(tar ? "many.tar" : "many.zip",
                     tar ? km_test::TarArchive(tarEntries) : km_test::ZipArchive(zipEntries));
    EnterFolder(scratch / (tar ? "tar" : "zip"));
    ArchiveEngine engine;
    EXPECT_EQ(engine.Extract(archive), "");
    EXPECT_EQ(engine.Status().filesDone, static_cast<long>(count));
    EXPECT_EQ(FolderEntries(".").size(), count);
    EXPECT_TRUE(fs::is_regular_file("e" + std::to_string(count - 1)));
  }
}

// Entries far larger than the pieces the engine reads at once.
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
