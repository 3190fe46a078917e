#include "platform/path_kind.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "scratch_folder.h"

namespace {

namespace fs = std::filesystem;
using platform::Links;
using platform::PathKind;
using platform_test::ScratchFolder;
using platform_test::WriteFile;

TEST(PathKind, EachKindAndWhatTheDetailSays) {
  ScratchFolder scratch;
  WriteFile(scratch / "file", "x");
  ASSERT_EQ(mkfifo((scratch / "fifo").c_str(), 0600), 0);
  fs::create_symlink("fifo", scratch / "link");
  struct Case {
    std::string path;
    Links links;
    PathKind kind;
    std::string_view description;
  };
  const Case cases[] = {
      {scratch / "file", Links::kFollow, PathKind::kRegular, ""},
      {scratch / "missing", Links::kFollow, PathKind::kMissing, "does not exist"},
      {scratch / "file/below", Links::kFollow, PathKind::kMissing, "does not exist"},
      {scratch.path().string(), Links::kFollow, PathKind::kFolder, "is a folder"},
      {scratch / "fifo", Links::kFollow, PathKind::kFifo, "is a FIFO, not a regular file"},
      {scratch / "link", Links::kFollow, PathKind::kFifo, "is a FIFO, not a regular file"},
      {scratch / "link", Links::kDoNotFollow, PathKind::kLink, "is a symbolic link"},
      {"/dev/null", Links::kFollow, PathKind::kCharacterDevice,
       "is a character device, not a regular file"},
      {"", Links::kFollow, PathKind::kMissing, "does not exist"},
  };
  for (const Case& one : cases) {
    EXPECT_EQ(platform::KindOf(one.path.c_str(), one.links), one.kind) << one.path;
    EXPECT_EQ(platform::KindDescription(one.kind), one.description) << one.path;
  }
}

}  // namespace
