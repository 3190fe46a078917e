#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
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
using km_test::TarArchive;
using km_test::TarFile;
using tpsdk::ArchiveEngine;

using Files = std::vector<std::pair<std::string, std::string>>;  // name, bytes
constexpr std::size_t kBlock = km_test::kTarBlock;

std::string Failure(int tag, const std::string& file, const char* reason) {
  return tpsdk::FormatMessage(tpsdk::kInternalFailure, {tag, file, reason});
}

// GNU tar and the engine extract the archive alike: exactly these files, byte for byte.
void ExpectExtractedAlike(const ScratchFolder& scratch, const fs::path& archive, Files files) {
  km_test::RunTool("tar", {"-xf", archive.string()}, EnterFolder(scratch / "gnu"));
  EnterFolder(scratch / "ours");
  EXPECT_EQ(ArchiveEngine().Extract(archive.string()), "");
  std::sort(files.begin(), files.end());
  std::vector<std::string> names;
  for (const auto& file : files) names.push_back(file.first);
  for (const char* folder : {"gnu", "ours"}) {
    EXPECT_EQ(FolderEntries(scratch / folder), names) << folder;
    for (const auto& [name, bytes] : files) {
      EXPECT_TRUE(ReadFile(scratch / folder / name) == bytes) << folder << "/" << name;
    }
  }
}

TEST(TarEngine, RoundTripAgreesWithGnuTar) {
  const ScratchFolder scratch("tar");
  const std::string n99(99, 'n'), n100(100, 'm');
  const Files sources = {
      {"src/one/a.ps", ""},
      {"src/one/b.dat", km_test::RandomBytes(513, 1)},
      {"src/two/big.bin", km_test::RandomBytes(20487, 2)},
      {"src/two/" + n99, "ninety-nine"},
      {"src/two/" + n100, "one hundred"},
  };
  std::vector<std::string> files;
  std::uint64_t total = 0, estimate = 1024;
  for (const auto& [path, bytes] : sources) {
    files.push_back(scratch.File(path, bytes).string());
    fs::permissions(files.back(), fs::perms(0640));
    total += bytes.size();
    estimate += 512 + (bytes.size() + 511) / 512 * 512;
  }
  files.push_back((scratch / "src/two").string());  // a folder gets no entry
  const std::string archive = (scratch / "out.tar").string();
  ArchiveEngine engine;
  engine.SetTarFormat(true);

  EXPECT_EQ(engine.Create(archive, files), Failure(70, files[4], "File name too long"));
  EXPECT_EQ(engine.Status().files, 6);
  EXPECT_EQ(engine.Status().filesDone, 4);
  EXPECT_EQ(engine.Status().totalBytes, total);
  EXPECT_EQ(engine.GetEstimatedLength(), estimate);
  const std::string bytes = ReadFile(archive);
  ASSERT_EQ(bytes.size() % kBlock, 0u);
  EXPECT_EQ(bytes.substr(0, 6), std::string("a.ps\0\0", 6));
  EXPECT_EQ(bytes.substr(100, 8), std::string("   640 \0", 8));
  EXPECT_EQ(bytes.substr(124, 12), "          0 ");
  EXPECT_EQ(bytes.substr(154, 2), std::string(2, '\0'));
  EXPECT_EQ(bytes.substr(257, 8), std::string(8, '\0'));

  const auto listed = km_test::RunProgram("tar", {"-tf", archive});
  EXPECT_EQ(km_test::Lines(listed.out),
            (std::vector<std::string>{"a.ps", "b.dat", "big.bin", n99}));
  Files extracted;
  for (std::size_t i = 0; i < 4; ++i) {
    extracted.emplace_back(fs::path(sources[i].first).filename(), sources[i].second);
  }
  ExpectExtractedAlike(scratch, archive, extracted);
}

TEST(TarEngine, ReadsArchivesOfOtherTools) {
  const ScratchFolder scratch("tar");
  const std::string data = km_test::RandomBytes(3000, 3);
  scratch.File("src/sub/x.ps", data);
  scratch.File("src/y.tpf", "project");
  const std::vector<std::pair<std::string, std::vector<std::string>>> tools = {
      {"tar", {"--format=ustar", "-cf"}},
      {"tar", {"--format=gnu", "-cf"}},
      {"bsdtar", {"-cf"}},
  };
  for (std::size_t i = 0; i < tools.size(); ++i) {
    const std::string archive = (scratch / ("made" + std::to_string(i) + ".tar")).string();
    std::vector<std::string> args = tools[i].second;
    args.insert(args.end(), {archive, "sub", "y.tpf"});
    km_test::RunTool(tools[i].first, args, scratch / "src");
    EnterFolder(scratch / ("out" + std::to_string(i)));
    ArchiveEngine engine;
    EXPECT_EQ(engine.Extract(archive), "") << tools[i].first << " " << args[0];
    EXPECT_EQ(FolderEntries(fs::current_path()),
              (std::vector<std::string>{"sub", "x.ps", "y.tpf"}));
    EXPECT_TRUE(fs::is_empty("sub"));
    EXPECT_EQ(ReadFile("x.ps"), data);
    EXPECT_EQ(ReadFile("y.tpf"), "project");
  }

  // A GNU long name comes as an entry of a type of its own: reported, and written inside as a
  // plain file under its bare name; the file it names gets the first 99 characters.
  const std::string longName(150, 'L');
  scratch.File("src/" + longName, "long");
  km_test::RunTool("tar", {"--format=gnu", "-cf", "../long.tar", longName, "y.tpf"},
                   scratch / "src");
  EnterFolder(scratch / "outlong");
  ArchiveEngine engine;
  EXPECT_EQ(engine.Extract((scratch / "long.tar").string()),
            Failure(71, "././@LongLink", "Invalid argument"));
  EXPECT_EQ(FolderEntries("."),
            (std::vector<std::string>{"@LongLink", longName.substr(0, 99), "y.tpf"}));
  EXPECT_EQ(ReadFile("@LongLink"), longName + '\0');
  EXPECT_EQ(ReadFile(longName.substr(0, 99)), "long");
  EXPECT_EQ(engine.Validate((scratch / "long.tar").string()), "");
  EXPECT_EQ(FolderEntries(scratch.path()),
            (std::vector<std::string>{"long.tar", "made0.tar", "made1.tar", "made2.tar", "out0",
                                      "out1", "out2", "outlong", "src"}));
}

// Reading ends at zeros or a broken header; an entry cut short leaves nothing behind, and an old
// file of its name stays whole.
TEST(TarEngine, ReadingEndsAtZerosABrokenHeaderOrACut) {
  const ScratchFolder scratch("tar");
  km_test::TarEntry badSum = TarFile("b", "2"), cut = TarFile("big", "abc");
  badSum.badChecksum = true;
  cut.size = 077777777777;  // far more than the archive holds
  const std::string cutError = Failure(75, "big", "Input/output error");
  const struct {
    std::string archive, error;
    std::vector<std::string> extracted;
    bool oldBig = false;
  } cases[] = {
      {std::string(kBlock, '\0'), "", {}},
      {TarArchive({TarFile("a", "1"), badSum, TarFile("c", "3")}), "", {"a"}},
      {TarArchive({cut}), cutError, {}},
      {TarArchive({cut}), cutError, {"big"}, true},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const auto archive = scratch.File("in" + std::to_string(i) + ".tar", cases[i].archive);
    EnterFolder(scratch / ("out" + std::to_string(i)));
    if (cases[i].oldBig) km_test::WriteFile("big", "old");
    EXPECT_EQ(ArchiveEngine().Extract(archive), cases[i].error) << i;
    EXPECT_EQ(FolderEntries(fs::current_path()), cases[i].extracted) << i;
    if (cases[i].oldBig) {
      EXPECT_EQ(ReadFile("big"), "old");
    }
  }
}

TEST(TarEngine, ThreeVolumes) {
  const ScratchFolder scratch("tar");
  // Estimate 23552 bytes: three blocks.
  const Files sources = {
      {"data.bin", km_test::RandomBytes(20000, 4)}, {"a.ps", "%!\n"}, {"empty", ""}};
  std::vector<std::string> files;
  for (const auto& [name, bytes] : sources) files.push_back(scratch.File("src/" + name, bytes));
  const fs::path volumes = scratch / "vol";
  fs::create_directories(volumes);
  ArchiveEngine engine;
  engine.SetTarFormat(true);
  engine.SetVolumeSize(1);
  engine.SetNameParts(volumes.string(), "proj", "/", ".tpv");
  int transitions = 0, completions = 0;
  std::vector<std::string> announced;
  engine.SetProgressHook([&](ArchiveEngine& e) {
    transitions += e.Status().text == "_VOLUME_TRANSITION_";
    completions += e.Status().text == "_VOLUMES_COMPLETE_";
    return 0;
  });
  engine.SetVolumeHook([&](ArchiveEngine&, const std::string& name, const std::string& folder) {
    announced.push_back(name + " in " + folder);
    return 0;
  });

  EXPECT_EQ(engine.Create((scratch / "proj.tpc").string(), files), "");
  EXPECT_EQ(engine.GetVolumeCount(), 3);
  EXPECT_EQ(transitions, 2);
  EXPECT_EQ(completions, 1);
  EXPECT_EQ(announced, (std::vector<std::string>{"proj_000002_000003.tpv in " + volumes.string(),
                                                 "proj_000003_000003.tpv in " + volumes.string()}));
  EXPECT_FALSE(fs::exists(scratch / "proj.tpc"));
  std::string joined;
  for (const char* name :
       {"proj_000001_000003.tpv", "proj_000002_000003.tpv", "proj_000003_000003.tpv"}) {
    const std::string bytes = ReadFile(volumes / name);
    EXPECT_EQ(bytes.size(), kBlock) << name;
    EXPECT_EQ(fs::status(volumes / name).permissions(), fs::perms(0600)) << name;
    joined += bytes;
  }
  EXPECT_EQ(FolderEntries(volumes).size(), 3u);
  ExpectExtractedAlike(scratch, scratch.File("joined.tar", joined), sources);
}

TEST(TarEngine, CancellationAndModeErrors) {
  const ScratchFolder scratch("tar");
  const auto file = scratch.File("data.bin", km_test::RandomBytes(30000, 5));
  const struct {
    long volumeSize;
    std::string stopAt;
    int tag;
  } cases[] = {{1, "_VOLUME_TRANSITION_", 83}, {0, "Creating archive: ", 85}};
  for (const auto& c : cases) {
    ArchiveEngine engine;
    engine.SetTarFormat(true);
    engine.SetVolumeSize(c.volumeSize);
    engine.SetNameParts(scratch.path().string(), "v", "/", ".tpv");
    engine.SetProgressHook([&](ArchiveEngine& e) {
      return e.Status().text.starts_with(c.stopAt) && e.Status().currentDone > 0 ? 1 : 0;
    });
    const std::string error = engine.Create((scratch / "c.tpc").string(), {file.string()});
    EXPECT_EQ(error, Failure(c.tag, engine.GetShortVolumeName(), "CANCELLED"));
  }
  for (const tpsdk::ArgumentVector& args : std::vector<tpsdk::ArgumentVector>{
           {"pdtar_main", "-f", "a.tar"}, {"pdtar_main", "-cx", "-f", "a.tar"}}) {
    ArchiveEngine engine;
    EXPECT_EQ(tpsdk::PdtarMain(engine, args), 1);
    EXPECT_EQ(engine.ErrorText(), Failure(76, "minizip/tar", "Invalid argument"));
  }
}

TEST(TarEngine, ValidateAndExtractOne) {
  const ScratchFolder scratch("tar");
  const auto archive =
      scratch.File("p.tar", TarArchive({TarFile("Main.Tpf", "m"), TarFile("dir/proj.tpf", "p"),
                                        TarFile("other.TPF", "o"), TarFile("z.ps", "z")}));
  EnterFolder(scratch / "validate");
  ArchiveEngine engine;
  EXPECT_EQ(engine.Validate(archive), "");
  EXPECT_EQ(FolderEntries("."), (std::vector<std::string>{"proj.tpf"}));
  EXPECT_EQ(engine.FoundProjectFile(), (scratch / "validate/proj.tpf").string());
  EnterFolder(scratch / "one");
  EXPECT_EQ(engine.ExtractOne(archive, "other.TPF"), "");
  EXPECT_EQ(FolderEntries("."), (std::vector<std::string>{"other.TPF"}));
  EXPECT_EQ(ReadFile("other.TPF"), "o");
}

// A stop asked for one entry leaves no partial file of it; the run goes on.
TEST(TarEngine, AStopForOneEntryLeavesNoPartOfIt) {
  const ScratchFolder scratch("tar");
  const auto archive =
      scratch.File("p.tar", TarArchive({TarFile("a", "1"), TarFile("b", "2"), TarFile("c", "3")}));
  EnterFolder(scratch / "stopped");
  ArchiveEngine stopping;
  stopping.SetProgressHook([](ArchiveEngine& e) { return e.Status().currentFile == "b" ? 1 : 0; });
  EXPECT_EQ(stopping.Extract(archive), "");
  EXPECT_EQ(FolderEntries("."), (std::vector<std::string>{"a", "c"}));
}

}  // namespace
