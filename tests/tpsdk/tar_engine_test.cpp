#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
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

constexpr std::size_t kBlock = 10240;

std::string Failure(int tag, const std::string& file, const char* reason) {
  return tpsdk::FormatMessage(tpsdk::kInternalFailure, {tag, file, reason});
}

// One entry of an archive written byte by byte, independently of the engine's writer.
struct Entry {
  std::string name;
  std::string data;
  char type = '0';
  unsigned mode = 0644;
  std::string link;
  std::uint64_t size = UINT64_MAX;  // the data's length unless given
  bool badChecksum = false;
};

Entry File(std::string name, std::string data, unsigned mode = 0644) {
  Entry e;
  e.name = std::move(name);
  e.data = std::move(data);
  e.mode = mode;
  return e;
}

Entry Special(std::string name, char type, std::string link = "") {
  Entry e;
  e.name = std::move(name);
  e.type = type;
  e.link = std::move(link);
  return e;
}

std::string Header(const Entry& e) {
  std::string h(512, '\0');
  auto put = [&h](std::size_t at, const std::string& text) { h.replace(at, text.size(), text); };
  auto octal = [](int width, unsigned long long v) {
    char text[32];
    std::snprintf(text, sizeof text, "%0*llo", width, v);
    return std::string(text);
  };
  put(0, e.name.substr(0, 100));
  put(100, octal(7, e.mode));
  put(108, octal(7, 0));
  put(116, octal(7, 0));
  put(124, octal(11, e.size == UINT64_MAX ? e.data.size() : e.size));
  put(136, octal(11, 1700000000));
  h[156] = e.type;
  put(157, e.link.substr(0, 100));
  put(148, "        ");
  unsigned sum = 0;
  for (unsigned char c : h) sum += c;
  put(148, octal(6, e.badChecksum ? sum + 1 : sum));
  h[154] = '\0';
  return h;
}

std::string Archive(const std::vector<Entry>& entries) {
  std::string out;
  for (const Entry& e : entries) {
    out += Header(e) + e.data;
    out.append((512 - e.data.size() % 512) % 512, '\0');
  }
  out.append(1024, '\0');
  out.append((kBlock - out.size() % kBlock) % kBlock, '\0');
  return out;
}

fs::path Folder(const fs::path& path) {
  fs::create_directories(path);
  return path;
}

TEST(TarEngine, RoundTripAgreesWithGnuTar) {
  const ScratchFolder scratch("tar");
  const std::string n99(99, 'n'), n100(100, 'm');
  const std::vector<std::pair<std::string, std::string>> sources = {
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
  km_test::RunTool("tar", {"-xf", archive}, Folder(scratch / "gnu"));
  fs::current_path(Folder(scratch / "ours"));
  EXPECT_EQ(engine.Extract(archive), "");
  for (const char* folder : {"gnu", "ours"}) {
    EXPECT_EQ(FolderEntries(scratch / folder).size(), 4u) << folder;
    for (std::size_t i = 0; i < 4; ++i) {
      const std::string name = fs::path(sources[i].first).filename();
      EXPECT_EQ(ReadFile(scratch / folder / name), sources[i].second) << folder << "/" << name;
    }
  }
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
    fs::current_path(Folder(scratch / ("out" + std::to_string(i))));
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
  fs::current_path(Folder(scratch / "outlong"));
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

TEST(TarEngine, ReadingEndsAtZerosOrABrokenHeader) {
  const ScratchFolder scratch("tar");
  const struct {
    std::string archive;
    std::vector<std::string> extracted;
  } cases[] = {
      {std::string(kBlock, '\0'), {}},
      {Archive({File("a", "1"),
                [] {
                  Entry e = File("b", "2");
                  e.badChecksum = true;
                  return e;
                }(),
                File("c", "3")}),
       {"a"}},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const auto archive = scratch.File("in" + std::to_string(i) + ".tar", cases[i].archive);
    fs::current_path(Folder(scratch / ("out" + std::to_string(i))));
    ArchiveEngine engine;
    EXPECT_EQ(engine.Extract(archive), "") << i;
    EXPECT_EQ(FolderEntries(fs::current_path()), cases[i].extracted) << i;
  }
}

TEST(TarEngine, ThreeVolumes) {
  const ScratchFolder scratch("tar");
  // Estimate 23552 bytes: three blocks.
  const std::vector<std::pair<std::string, std::string>> sources = {
      {"data.bin", km_test::RandomBytes(20000, 4)}, {"a.ps", "%!\n"}, {"empty", ""}};
  std::vector<std::string> files;
  for (const auto& [name, bytes] : sources) files.push_back(scratch.File("src/" + name, bytes));
  const fs::path volumes = Folder(scratch / "vol");
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
  const auto whole = scratch.File("joined.tar", joined);
  km_test::RunTool("tar", {"-xf", whole.string()}, Folder(scratch / "gnu"));
  fs::current_path(Folder(scratch / "ours"));
  EXPECT_EQ(ArchiveEngine().Extract(whole.string()), "");
  for (const char* folder : {"gnu", "ours"}) {
    EXPECT_EQ(FolderEntries(scratch / folder),
              (std::vector<std::string>{"a.ps", "data.bin", "empty"}));
    for (const auto& [name, bytes] : sources) {
      EXPECT_TRUE(ReadFile(scratch / folder / name) == bytes) << folder << "/" << name;
    }
  }
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
      scratch.File("p.tar", Archive({File("Main.Tpf", "m"), File("dir/proj.tpf", "p"),
                                     File("other.TPF", "o"), File("z.ps", "z")}));
  fs::current_path(Folder(scratch / "validate"));
  ArchiveEngine engine;
  EXPECT_EQ(engine.Validate(archive), "");
  EXPECT_EQ(FolderEntries("."), (std::vector<std::string>{"proj.tpf"}));
  EXPECT_EQ(engine.FoundProjectFile(), (scratch / "validate/proj.tpf").string());
  fs::current_path(Folder(scratch / "one"));
  EXPECT_EQ(engine.ExtractOne(archive, "other.TPF"), "");
  EXPECT_EQ(FolderEntries("."), (std::vector<std::string>{"other.TPF"}));
  EXPECT_EQ(ReadFile("other.TPF"), "o");
}

TEST(TarEngine, OverwriteHookSkipsOrOverwritesAll) {
  const ScratchFolder scratch("tar");
  const auto archive =
      scratch.File("p.tar", Archive({File("a", "new-a"), File("b", "new-b"), File("c", "new-c")}));
  fs::current_path(Folder(scratch / "out"));
  for (const char* name : {"a", "b", "c"}) scratch.File(std::string("out/") + name, "old");
  ArchiveEngine engine;
  std::vector<std::string> asked;
  engine.SetOverwriteHook([&](ArchiveEngine&, const std::string& name) {
    asked.push_back(name);
    return std::string(name == "a" ? "N" : "A");
  });
  EXPECT_EQ(engine.Extract(archive), "");
  EXPECT_EQ(asked, (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(ReadFile("a"), "old");
  EXPECT_EQ(ReadFile("b"), "new-b");
  EXPECT_EQ(ReadFile("c"), "new-c");

  // A stop asked for one entry leaves no partial file of it; the run goes on.
  fs::current_path(Folder(scratch / "stopped"));
  ArchiveEngine stopping;
  stopping.SetProgressHook([](ArchiveEngine& e) { return e.Status().currentFile == "b" ? 1 : 0; });
  EXPECT_EQ(stopping.Extract(archive), "");
  EXPECT_EQ(FolderEntries("."), (std::vector<std::string>{"a", "c"}));
}

TEST(TarEngine, HostileEntriesStayInside) {
  const ScratchFolder scratch("tar");
  scratch.File("outside.txt", "keep");
  const auto hostile = scratch.File(
      "hostile.tar",
      Archive({File("../x", "1"), File("/abs/x", "2"), File("a\\..\\..\\x", "3"),
               Special("../../d/", '5'), Special("link", '2', "../outside.txt"),
               Special("hard", '1', "../outside.txt"), File("suid", "s", 04755), File("..", "dots"),
               File("victim", "v"), Special("fifo", '6'), Special("dev", '3'),
               Special("/abs/d2", '5'), File("sgid", "g", 02755), File("sticky", "t", 01755),
               Special("dlink/", '5'), File("hardvictim", "h")}));
  const auto truncated = scratch.File("short.tar", Archive({[] {
                                        Entry e = File("big", "abc");
                                        e.size = 077777777777;  // far more than the archive holds
                                        return e;
                                      }()}));
  scratch.File("outside2.txt", "keep");
  fs::current_path(Folder(scratch / "in"));
  fs::create_symlink("../outside.txt", "victim");
  fs::create_symlink(Folder(scratch / "outdir"), "dlink");
  fs::create_hard_link("../outside2.txt", "hardvictim");
  ArchiveEngine engine;

  // Only the first failure is reported; the folder entry through the link fails later.
  EXPECT_EQ(engine.Extract(hostile.string()), Failure(9, "..", "Invalid argument"));
  const std::vector<std::string> extracted = {"d",      "d2",   "dlink",  "hardvictim", "sgid",
                                              "sticky", "suid", "victim", "x"};
  EXPECT_EQ(FolderEntries("."), extracted);
  EXPECT_EQ(ReadFile("x"), "3");
  EXPECT_TRUE(fs::is_directory(fs::symlink_status("d")));
  EXPECT_TRUE(fs::is_directory(fs::symlink_status("d2")));
  EXPECT_TRUE(fs::is_symlink("dlink"));
  EXPECT_TRUE(fs::is_empty(scratch / "outdir"));
  EXPECT_TRUE(fs::is_regular_file(fs::symlink_status("victim")));
  EXPECT_EQ(ReadFile("victim"), "v");
  EXPECT_EQ(ReadFile("hardvictim"), "h");
  for (const char* name : {"suid", "sgid", "sticky"}) {
    struct stat st {};
    ASSERT_EQ(stat(name, &st), 0);
    EXPECT_EQ(st.st_mode & 07000, 0u) << name;
  }
  EXPECT_EQ(ReadFile(scratch / "outside.txt"), "keep");
  EXPECT_EQ(ReadFile(scratch / "outside2.txt"), "keep");

  // A cut entry leaves nothing behind, and an old file of its name stays whole.
  EXPECT_EQ(engine.Extract(truncated.string()), Failure(75, "big", "Input/output error"));
  EXPECT_FALSE(fs::exists("big"));
  km_test::WriteFile("big", "old");
  EXPECT_EQ(engine.Extract(truncated.string()), Failure(75, "big", "Input/output error"));
  EXPECT_EQ(ReadFile("big"), "old");
  std::vector<std::string> withBig = extracted;
  withBig.insert(withBig.begin(), "big");
  EXPECT_EQ(FolderEntries("."), withBig);
  EXPECT_EQ(FolderEntries(scratch.path()),
            (std::vector<std::string>{"hostile.tar", "in", "outdir", "outside.txt", "outside2.txt",
                                      "short.tar"}));
}

TEST(TarEngine, AFullDiskLeavesNoFileAndTheRunGoesOn) {
  const ScratchFolder scratch("tar");
  const auto archive = scratch.File(
      "p.tar", Archive({File("big", km_test::RandomBytes(100000, 6)), File("small", "s")}));
  scratch.File("out/big", "old");
  km_test::ProcessOptions full;
  full.fileSizeLimit = 99999;  // a short write, and the entry's last one
  full.workingDirectory = scratch / "out";
  const std::string error =
      km_test::RunInChild([&] { return ArchiveEngine().Extract(archive.string()); }, full).out;
  EXPECT_TRUE(error.starts_with(Failure(10, "big", ""))) << error;
  EXPECT_EQ(FolderEntries(scratch / "out"), (std::vector<std::string>{"big", "small"}));
  EXPECT_EQ(ReadFile(scratch / "out/big"), "old");
  EXPECT_EQ(ReadFile(scratch / "out/small"), "s");
}

TEST(TarEngine, TwentyThousandEmptyEntriesAreAllCreated) {
  const ScratchFolder scratch("tar");
  std::vector<Entry> entries;
  for (int i = 0; i < 20000; ++i) entries.push_back(File("e" + std::to_string(i), ""));
  const auto archive = scratch.File("many.tar", Archive(entries));
  fs::current_path(Folder(scratch / "out"));
  ArchiveEngine engine;
  EXPECT_EQ(engine.Extract(archive.string()), "");
  EXPECT_EQ(engine.Status().files, 20000);
  EXPECT_EQ(engine.Status().filesDone, 20000);
  EXPECT_EQ(FolderEntries(".").size(), 20000u);
  EXPECT_TRUE(fs::is_regular_file("e19999"));
}

}  // namespace
