#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>
#include <filesystem>
#include <string>
#include <utility>
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
using tpsdk::ArchiveEngine;
using Strings = std::vector<std::string>;

using km_test::RunTool;

// A container made by Info-ZIP zip whose entry names are then rewritten byte for byte, for
// names zip would never write (backslashes, "..", absolute paths). Contents must not hold "Q".
fs::path CraftedZip(const km_test::ScratchFolder& scratch,
                    const std::vector<std::pair<std::string, std::string>>& entries) {
  const fs::path craft = scratch / "craft";
  Strings args = {"-q", "-X", "-0", "crafted.zip"};
  Strings placeholders;
  for (const auto& [name, bytes] : entries) {
    std::string placeholder(name.size(), 'Q');
    placeholder[0] = static_cast<char>('a' + placeholders.size());
    scratch.File("craft/" + placeholder, bytes);
    placeholders.push_back(placeholder);
    args.push_back(placeholder);
  }
  RunTool("zip", args, craft);
  std::string bytes = ReadFile(craft / "crafted.zip");
  for (std::size_t i = 0; i < entries.size(); ++i) {
    for (std::size_t at = 0; (at = bytes.find(placeholders[i], at)) != std::string::npos;) {
      bytes.replace(at, placeholders[i].size(), entries[i].first);
    }
  }
  fs::remove_all(craft);
  return scratch.File("crafted.zip", bytes);
}

time_t LocalTime(int year, int month, int day, int hour, int minute, int second) {
  struct tm local {};
  local.tm_year = year - 1900;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = hour;
  local.tm_min = minute;
  local.tm_sec = second;
  local.tm_isdst = -1;
  return mktime(&local);
}

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
  const time_t stamp = LocalTime(2020, 5, 17, 10, 20, 30);
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

  fs::create_directory("ours");
  fs::current_path("ours");
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
  RunTool("zip", {"-q", "-r", "../deflated.zip", "a", "c", "d"}, "src");
  RunTool("zip", {"-q", "-r", "-0", "../stored.zip", "a", "c", "d"}, "src");
  const fs::path windows = CraftedZip(scratch, {{"w\\sub\\win.txt", "windows"}});

  for (const std::string archive : {"deflated.zip", "stored.zip"}) {
    const fs::path out = scratch / ("x_" + archive);
    fs::create_directory(out);
    fs::current_path(out);
    ArchiveEngine engine;
    EXPECT_EQ(engine.Validate("../" + archive), "");
    EXPECT_EQ(FolderEntries("."), (Strings{"Main.TPF", "other.tpf"}));
    EXPECT_EQ(engine.FoundProjectFile(), (out / "other.tpf").string());
    EXPECT_EQ(engine.Extract("../" + archive), "");
    EXPECT_EQ(FolderEntries("."), (Strings{"Main.TPF", "data.bin", "other.tpf"}));
    EXPECT_TRUE(ReadFile("data.bin") == data);
    EXPECT_EQ(engine.Extract(windows), "");
    EXPECT_EQ(ReadFile("win.txt"), "windows");
  }
  ArchiveEngine engine;
  EXPECT_EQ(engine.Validate("../stored.zip"), "");
  EXPECT_EQ(engine.Validate(windows),
            "ERROR (Minizip): No .tpf file found in archive " + windows.string());
}

TEST(ZipDriver, OverwriteHookAnswers) {
  const km_test::ScratchFolder scratch("km_zip");
  fs::current_path(scratch.path());
  scratch.File("one", "new one");
  scratch.File("two", "new two");
  ArchiveEngine engine;
  ASSERT_EQ(engine.Create("arch", {"one", "two"}), "");
  const struct {
    const char* answer;  // empty: the default hook
    int asked;
    const char* two;
  } cases[] = {{"", 0, "new two"}, {"A", 1, "new two"}, {"Y", 2, "new two"}, {"N", 2, "old"}};
  for (const auto& c : cases) {
    scratch.File("one", "old");
    scratch.File("two", "old");
    int asked = 0;
    if (*c.answer != '\0') {
      engine.SetOverwriteHook([&](ArchiveEngine&, const std::string&) {
        ++asked;
        return std::string(c.answer);
      });
    }
    EXPECT_EQ(engine.Extract("arch.tpc"), "");
    EXPECT_EQ(asked, c.asked) << c.answer;
    EXPECT_EQ(ReadFile("two"), c.two) << c.answer;
  }
}

TEST(ZipDriver, HostileEntriesStayInsideTheFolder) {
  const km_test::ScratchFolder scratch("km_zip");
  const fs::path archive = CraftedZip(scratch, {{"../x1", "1"},
                                                {(scratch / "x2").string(), "2"},
                                                {"a\\..\\..\\x3", "3"},
                                                {"x4", "4"},
                                                {"d/..", "5"},
                                                {"d/.", "6"},
                                                {"c:\\..", "7"}});
  scratch.File("victim", "keep");
  fs::create_directory(scratch / "in");
  fs::create_symlink("../victim", scratch / "in/x4");
  fs::current_path(scratch / "in");
  ArchiveEngine engine;
  EXPECT_EQ(engine.Extract(archive), "");
  EXPECT_EQ(FolderEntries("."), (Strings{"x1", "x2", "x3", "x4"}));
  EXPECT_EQ(FolderEntries(scratch.path()), (Strings{"crafted.zip", "in", "victim"}));
  EXPECT_EQ(ReadFile(scratch / "victim"), "keep");
  EXPECT_FALSE(fs::is_symlink("x4"));
  EXPECT_EQ(ReadFile("x4"), "4");
  EXPECT_EQ(fs::status("x1").permissions() & (fs::perms::set_uid | fs::perms::owner_exec),
            fs::perms::none);
}

// Sets the uncompressed size of the only entry in its local and its directory record.
void DeclareSize(const fs::path& archive, std::uint32_t size) {
  std::string bytes = ReadFile(archive);
  const std::size_t central = bytes.find("PK\x01\x02");
  ASSERT_EQ(bytes.compare(0, 4, "PK\x03\x04"), 0);
  ASSERT_NE(central, std::string::npos);
  for (const std::size_t at : {std::size_t{22}, central + 24}) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((size >> (8 * i)) & 0xff);
  }
  km_test::WriteFile(archive, bytes);
}

TEST(ZipDriver, AnEntryLargerThanDeclaredLeavesNothing) {
  const km_test::ScratchFolder scratch("km_zip");
  fs::current_path(scratch.path());
  scratch.File("zeros", std::string(64 << 20, '\0'));
  RunTool("zip", {"-q", "-X", "bomb.zip", "zeros"});
  DeclareSize("bomb.zip", 1024);
  fs::create_directory("out");
  fs::current_path("out");
  scratch.File("out/zeros", "old");
  ArchiveEngine engine;
  const std::string error = engine.Extract("../bomb.zip");
  EXPECT_EQ(error, "ERROR (Minizip): Error# -105 in unzCloseCurrentFile");
  EXPECT_LE(engine.Status().bytesDone, 1024u);
  EXPECT_EQ(FolderEntries("."), Strings{"zeros"});
  EXPECT_EQ(ReadFile("zeros"), "old");
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
  fs::create_directory("out");
  fs::current_path("out");
  engine.SetProgressHook([](ArchiveEngine& e) { return e.Status().currentDone >= 8192; });
  EXPECT_EQ(engine.Extract("../whole.tpc"), "");
  EXPECT_EQ(FolderEntries("."), Strings{"first"});
}

TEST(ZipDriver, AFullDiskIsReportedAndLeavesNoFile) {
  const km_test::ScratchFolder scratch("km_zip");
  fs::current_path(scratch.path());
  scratch.File("big", km_test::RandomBytes(200000, 5));
  ArchiveEngine engine;
  ASSERT_EQ(engine.Create("arch", {"big"}), "");
  fs::create_directory("out");
  km_test::ProcessOptions full;
  full.fileSizeLimit = 100000;
  EXPECT_EQ(km_test::RunInChild([&] { return engine.Create("cut", {"big"}); }, full).out,
            "ERROR (Minizip): Could not close archive cut.tpc");  // the last failure wins
  full.workingDirectory = scratch / "out";
  EXPECT_EQ(km_test::RunInChild([&] { return engine.Extract("../arch.tpc"); }, full).out,
            "ERROR (Minizip): Unexpected problem writing file (disk full?)");
  EXPECT_FALSE(fs::exists("cut.tpc"));
  EXPECT_EQ(FolderEntries("out"), Strings{});
}
}  // namespace
