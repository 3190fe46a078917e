#include "archive_engine.h"

#include <gtest/gtest.h>

#include <string>

#include "file_io.h"
#include "scratch_folder.h"

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

}  // namespace
