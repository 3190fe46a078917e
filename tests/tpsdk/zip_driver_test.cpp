#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <ctime>
#include <filesystem>
#include <string>
#include <utility>
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
using tpsdk::ArchiveEngine;
using Strings = std::vector<std::string>;

using km_test::RunTool;

time_t Modified(const fs::path& file) {
  struct stat info {};
  return stat(file.c_str(), &info) == 0 ? info.st_mtime : 0;
}

TEST(ZipDriver, InfoZipReadsOurContainerByteForByte) {
  const km_test::ScratchFolder scratch("km_zip");
  fs::current_path(scratch.path());
  // Entry names are the paths as given, a full path too.
  const Strings names = {"in/small.txt", "in/block.bin", "in/big.bin",
                         (scratch / "in/empty").string()};
  const Strings bytes = {"small text\n", km_test::RandomBytes(16384, 1),
                         km_test::RandomBytes(100000, 2), ""};
  for (std::size_t i = 0; i < names.size(); ++i) scratch.File(names[i], bytes[i]);
  const time_t stamp = 1589710830;  // even: zip keeps two-second steps
  const timeval times[2] = {{stamp, 0}, {stamp, 0}};
  ASSERT_EQ(utimes("in/small.txt", times), 0);

  ArchiveEngine engine;
  std::vector<std::pair<std::string, std::uint64_t>> progress;
  engine.SetProgressHook([&](ArchiveEngine& e) {
    progress.emplace_back(e.Status().currentFile, e.Status().currentDone);
    return 0;
  });
  EXPECT_EQ(engine.Create("proj", names), "");
  EXPECT_EQ(engine.Status().text, "Creating archive: proj.tpc");
  EXPECT_EQ(engine.Status().files, 4);
  EXPECT_EQ(engine.Status().filesDone, 4);
  EXPECT_EQ(engine.Status().totalBytes, 116395u);
  EXPECT_EQ(engine.Status().bytesDone, 116395u);
  // One block for exactly 16384 bytes; seven for 100000.
  const std::vector<std::pair<std::string, std::uint64_t>> expected = {
      {"in/small.txt", 0},   {"in/small.txt", 11},  {"in/block.bin", 0},   {"in/block.bin", 16384},
      {"in/big.bin", 0},     {"in/big.bin", 16384}, {"in/big.bin", 32768}, {"in/big.bin", 49152},
      {"in/big.bin", 65536}, {"in/big.bin", 81920}, {"in/big.bin", 98304}, {"in/big.bin", 100000},
      {names[3], 0}};
  EXPECT_EQ(progress, expected);

  const std::string listing = RunTool("unzip", {"-l", "proj.tpc"});
  for (const std::string& name : names) EXPECT_NE(listing.find(name), std::string::npos) << name;
  // unzip takes the full path for a warning (status 1) and still extracts the file.
  EXPECT_NE(RunTool("unzip", {"-q", "-o", "-j", "-d", "theirs", "proj.tpc"}, {}, 1)
                .find("stripped absolute path"),
            std::string::npos);
  for (std::size_t i = 0; i < names.size(); ++i) {
    EXPECT_TRUE(ReadFile(fs::path("theirs") / fs::path(names[i]).filename()) == bytes[i])
        << names[i];
  }
  EXPECT_EQ(Modified("theirs/small.txt"), stamp);

  EnterFolder("ours");
  EXPECT_EQ(engine.Extract("../proj.tpc"), "");
  EXPECT_EQ(FolderEntries("."), (Strings{"big.bin", "block.bin", "empty", "small.txt"}));
  EXPECT_TRUE(ReadFile("big.bin") == bytes[2]);
  EXPECT_EQ(Modified("small.txt"), stamp);
  EXPECT_EQ(engine.Status().files, 4);
  EXPECT_EQ(engine.Status().totalBytes, 116395u);
  EXPECT_EQ(engine.Status().bytesDone, 116395u);
}

TEST(ZipDriver, NamesLevelsAndOpening) {
  const km_test::ScratchFolder scratch("km_zip");
  fs::current_path(scratch.path());
  scratch.File("data.txt", std::string(5000, 'a'));
  scratch.File("proj.tpc", "replaced, not appended to");
  fs::create_directory("d.x");
  const struct {
    Strings options;
    std::string given, written, method;
  } cases[] = {{{"-o"}, "proj", "proj.tpc", "Defl:N"},
               {{"-o"}, "proj.old", "proj.old", "Defl:N"},
               {{"-o"}, "d.x/proj", "d.x/proj", "Defl:N"},
               {{"-o9"}, "nine", "nine.tpc", "Defl:X"},
               {{"-o", "-5", "-0"}, "stored", "stored.tpc", "Stored"}};
  for (const auto& c : cases) {
    ArchiveEngine engine;
    Strings args = {"zip_main"};
    args.insert(args.end(), c.options.begin(), c.options.end());
    args.push_back(c.given);
    args.push_back("data.txt");
    EXPECT_EQ(tpsdk::ZipMain(engine, args), 0) << engine.ErrorText();
    EXPECT_EQ(engine.Status().text, "Creating archive: " + c.written);
    EXPECT_NE(RunTool("unzip", {"-v", c.written}).find(c.method), std::string::npos) << c.given;
  }
  EXPECT_FALSE(fs::exists("proj.old.tpc"));
  EXPECT_FALSE(fs::exists("d.x/proj.tpc"));

  // Only the zip program itself tries the name with ".tpc"; the engine takes a file it cannot
  // open for tar.
  ArchiveEngine engine;
  fs::remove("data.txt");
  EXPECT_EQ(tpsdk::UnzipMain(engine, {"unzip_main", "-A", "proj", "data.txt"}), 0);
  EXPECT_EQ(engine.Status().text, "Extracting archive: proj.tpc");
  EXPECT_TRUE(ReadFile("data.txt") == std::string(5000, 'a'));
  EXPECT_EQ(tpsdk::UnzipMain(engine, {"unzip_main", "-E", "none"}), 1);
  EXPECT_EQ(engine.ErrorText(), "ERROR (Minizip): Cannot open none or none.tpc");
  EXPECT_EQ(engine.Status().text, "Extracting archive: none.tpc");
  EXPECT_EQ(engine.ExtractOne("proj.tpc", "other.txt"),
            "ERROR (Minizip): No .tpf file found in archive proj.tpc");
  scratch.File("garbage", "PK this is no zip at all");
  EXPECT_EQ(engine.Extract("garbage"), "ERROR (Minizip): Cannot open garbage or garbage.tpc");
  EXPECT_EQ(engine.Create("out", {"data.txt", "missing.txt"}),
            "ERROR (Minizip): Could not read missing.txt in archive");
  EXPECT_EQ(engine.ErrorTemplate(), "ERROR (Minizip): Could not read %s in archive");
  EXPECT_FALSE(fs::exists("out.tpc"));
  EXPECT_EQ(engine.Create("no/such/folder/out", {"data.txt"}),
            "ERROR (Minizip): Cannot create archive no/such/folder/out.tpc");
}

TEST(ZipDriver, ExtractsInfoZipContainersUnderBareNames) {
  const km_test::ScratchFolder scratch("km_zip");
  fs::current_path(scratch.path());
  const std::string data = km_test::RandomBytes(20000, 3);
  scratch.File("src/a/b/Main.TPF", "main");
  scratch.File("src/c/other.tpf", "other");
  scratch.File("src/d/data.bin", data);
  const std::vector<std::pair<std::string, unsigned>> special = {
      {"sgid.ps", 02755}, {"sticky.ps", 01755}, {"suid.ps", 04755}};
  for (const auto& [name, mode] : special) {
    fs::permissions(scratch.File("src/e/" + name, "s"), fs::perms(mode));
  }
  scratch.File("victim", "keep");
  fs::create_symlink("../../victim", scratch / "src/e/link");  // stored as a link (-y)
  RunTool("zip", {"-q", "-r", "-y", "../deflated.zip", "a", "c", "d", "e"}, "src");
  RunTool("zip", {"-q", "-r", "-y", "-0", "-fz", "../stored.zip", "a", "c", "d", "e"}, "src");

  for (const std::string archive : {"deflated.zip", "stored.zip"}) {
    const fs::path out = EnterFolder(scratch / ("x_" + archive));
    ArchiveEngine engine;
    EXPECT_EQ(engine.Validate("../" + archive), "");
    EXPECT_EQ(FolderEntries("."), (Strings{"Main.TPF", "other.tpf"}));
    EXPECT_EQ(engine.FoundProjectFile(), (out / "other.tpf").string());
    EXPECT_EQ(engine.Extract("../" + archive), "");
    EXPECT_EQ(FolderEntries("."), (Strings{"Main.TPF", "data.bin", "link", "other.tpf", "sgid.ps",
                                           "sticky.ps", "suid.ps"}));
    EXPECT_TRUE(ReadFile("data.bin") == data);
    EXPECT_FALSE(fs::is_symlink("link"));
    for (const auto& [name, mode] : special) {
      EXPECT_EQ(fs::status(name).permissions() & (fs::perms::set_uid | fs::perms::set_gid |
                                                  fs::perms::sticky_bit | fs::perms::owner_exec),
                fs::perms::none)
          << name;
    }
  }
  EXPECT_EQ(ReadFile(scratch / "victim"), "keep");
  ArchiveEngine engine;
  EXPECT_EQ(engine.Validate("../stored.zip"), "");
}

// The deflate data Info-ZIP writes for that many zero bytes (read from a sparse file).
std::string DeflatedZeros(const km_test::ScratchFolder& scratch, std::uintmax_t size) {
  const fs::path folder = scratch / "deflate";
  fs::create_directories(folder);
  fs::resize_file(scratch.File("deflate/zeros", ""), size);
  RunTool("zip", {"-q", "-X", "z.zip", "zeros"}, folder);
  const std::string bytes = ReadFile(folder / "z.zip");
  auto number = [&bytes](std::size_t at, int size) {
    std::size_t value = 0;
    for (int i = size - 1; i >= 0; --i)
      value = value << 8 | static_cast<unsigned char>(bytes[at + i]);
    return value;
  };
  fs::remove_all(folder);
  return bytes.substr(30 + number(26, 2) + number(28, 2), number(18, 4));
}

TEST(ZipDriver, EntriesUnlikeTheirDeclaredSizeLeaveNothing) {
  const km_test::ScratchFolder scratch("km_zip");
  fs::current_path(scratch.path());
  const std::string bomb = DeflatedZeros(scratch, 64 << 20);
  const std::string thousand = DeflatedZeros(scratch, 1000);
  const std::string bad = "Error# -103 in unzReadCurrentFile";
  const struct {
    km_test::ZipEntry entry;
    std::string error;  // after "ERROR (Minizip): "
    bool folderInTheWay = false;
  } cases[] = {
      // 64 MiB declared as 1 KiB: read up to 1 KiB, whose checksum then fails.
      {{"zeros", bomb, 8, 1024}, "Error# -105 in unzCloseCurrentFile"},
      {{"zeros", bomb, 8, 1024, true}, bad},  // the same in a ZIP64 field
      // Cut: less data than declared.
      {{"zeros", thousand, 8, 1001}, bad},
      {{"zeros", "12345", 0, 10}, bad},
      {{"zeros", "12345", 0, 1ULL << 62, true}, bad},
      {{"zeros", "\xff", 8, 1}, "Error# -3 in unzReadCurrentFile"},  // no deflate data
      {{"zeros", ""}, "Could not open file zeros", true},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const fs::path archive =
        scratch.File("in" + std::to_string(i) + ".zip", km_test::ZipArchive({cases[i].entry}));
    const fs::path out = scratch / ("out" + std::to_string(i));
    if (cases[i].folderInTheWay) {
      fs::create_directories(out / "zeros");
    } else {
      scratch.File("out" + std::to_string(i) + "/zeros", "old");
    }
    fs::current_path(out);
    ArchiveEngine engine;
    EXPECT_EQ(engine.Extract(archive), "ERROR (Minizip): " + cases[i].error) << i;
    EXPECT_LE(engine.Status().bytesDone, 1024u) << i;
    EXPECT_EQ(FolderEntries("."), Strings{"zeros"}) << i;
    if (cases[i].folderInTheWay) {
      EXPECT_TRUE(fs::is_empty("zeros")) << i;
    } else {
      EXPECT_EQ(ReadFile("zeros"), "old") << i;
    }
  }
}

TEST(ZipDriver, DirectoryClaimsAreBounded) {
  const km_test::ScratchFolder scratch("km_zip");
  const km_test::ZipEntry huge{"a", "A", 0, 1ULL << 63, true};
  const struct {
    std::vector<km_test::ZipEntry> entries;
    std::uint64_t count;
    std::string error;
    std::uint64_t total;
  } cases[] = {
      {{huge, huge}, UINT64_MAX, "Error# -103 in unzReadCurrentFile", UINT64_MAX},
      {{{"a", "A"}}, 0xFFFF, "Error# -103 unzGoToNextFile", 1},
      {{{"a", "A"}}, 1ULL << 40, "Error# -103 unzGoToNextFile", 1},
  };
  EnterFolder(scratch / "out");
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const fs::path archive = scratch.File("in" + std::to_string(i) + ".zip",
                                          km_test::ZipArchive(cases[i].entries, cases[i].count));
    ArchiveEngine engine;
    EXPECT_EQ(engine.Extract(archive), "ERROR (Minizip): " + cases[i].error) << i;
    EXPECT_EQ(engine.Status().totalBytes, cases[i].total) << i;
    EXPECT_EQ(FolderEntries("."), Strings{}) << i;
  }
}

TEST(ZipDriver, StopRequestsEndWithoutAMessage) {
  const km_test::ScratchFolder scratch("km_zip");
  fs::current_path(scratch.path());
  const std::string big = km_test::RandomBytes(50000, 4);
  scratch.File("first", "first");
  scratch.File("big", big);
  scratch.File("last", "last");
  ArchiveEngine engine;
  engine.SetProgressHook([](ArchiveEngine& e) { return e.Status().currentDone >= 16384; });
  EXPECT_EQ(engine.Create("cut", {"first", "big", "last"}), "");
  const std::string listing = RunTool("unzip", {"-l", "cut.tpc"});
  EXPECT_NE(listing.find("16384  "), std::string::npos) << listing;
  EXPECT_EQ(listing.find("last"), std::string::npos) << listing;

  engine.SetProgressHook({});
  ASSERT_EQ(engine.Create("whole", {"first", "big", "last"}), "");
  EnterFolder("out");
  engine.SetProgressHook([](ArchiveEngine& e) { return e.Status().currentDone >= 8192; });
  EXPECT_EQ(engine.Extract("../whole.tpc"), "");
  EXPECT_EQ(FolderEntries("."), Strings{"first"});
}

// A container the disk cannot hold whole is not left behind.
TEST(ZipDriver, AFullDiskLeavesNoContainer) {
  const km_test::ScratchFolder scratch("km_zip");
  fs::current_path(scratch.path());
  scratch.File("big", km_test::RandomBytes(200000, 5));
  km_test::ProcessOptions full;
  full.fileSizeLimit = 100000;
  EXPECT_EQ(km_test::RunInChild([] { return ArchiveEngine().Create("cut", {"big"}); }, full).out,
            "ERROR (Minizip): Could not close archive cut.tpc");  // the last failure wins
  EXPECT_FALSE(fs::exists("cut.tpc"));
}

}  // namespace
