#include "archive_engine.h"

#include <gtest/gtest.h>

#include <string>

#include "env_override.h"
#include "file_io.h"
#include "scratch_folder.h"
#include "tpsdk/tpsdk.h"

namespace {

using tpsdk::ArchiveEngine;

TEST(ArchiveEngine, VolumeNamesNumberFromOneOverTheCount) {
  ArchiveEngine engine;
  engine.SetNameParts("/disk/out", "proj", "/", ".tar");
  engine.SetVolumeCount(12);
  engine.MakeVolumeName(0);
  EXPECT_EQ(engine.GetShortVolumeName(), "proj_000001_000012.tar");
  engine.MakeVolumeName(11);
  EXPECT_EQ(engine.GetShortVolumeName(), "proj_000012_000012.tar");
  EXPECT_EQ(engine.GetFullVolumeName(), "/disk/out/proj_000012_000012.tar");
  EXPECT_EQ(engine.GetVolumeFolder(), "/disk/out");
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

TEST(ArchiveEngine, EmptyHooksRestoreTheDefaults) {
  ArchiveEngine engine(42);
  EXPECT_EQ(engine.GetUserData(), 42u);
  EXPECT_EQ(engine.CallProgress(), 0);
  EXPECT_EQ(engine.CallVolumeHook(), 0);
  EXPECT_EQ(engine.AskOverwrite("x"), "Y");
  engine.SetProgressHook([](ArchiveEngine&) { return 1; });
  engine.SetVolumeHook([](ArchiveEngine&, const std::string&, const std::string&) { return 1; });
  engine.SetOverwriteHook([](ArchiveEngine&, const std::string&) { return std::string("N"); });
  EXPECT_EQ(engine.CallProgress(), 1);
  EXPECT_EQ(engine.CallVolumeHook(), 1);
  EXPECT_EQ(engine.AskOverwrite("x"), "N");
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
    EXPECT_TRUE(km_test::FolderEntries(scratch / "tmp").empty());
  }
  std::string message;
  EXPECT_EQ(tpsdk::TpsdkProjectTypeOfContainer(message, (scratch / "none.tpc").c_str()), -1);
  EXPECT_EQ(message, "Could not open file '" + (scratch / "none.tpc").string() + "'");
}

}  // namespace
