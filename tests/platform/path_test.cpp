#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "file_io.h"
#include "platform/path_kind.h"
#include "platform/path_parts.h"
#include "scratch_folder.h"

namespace {

namespace fs = std::filesystem;
using platform::Links;
using platform::PathKind;
using platform::TextObject;

TEST(PathParts, Table) {
  // FolderOf and FileNameOf split at both separators; FolderOfFile and Beside (here of "n")
  // at "/" only.
  const struct {
    const char *path, *folderOf, *fileNameOf, *folderOfFile, *beside;
  } cases[] = {{"/a.txt", "/", "a.txt", "/", "/n"},
               {"/", "/", "", "/", "/n"},
               {"/one/two/a.tar.gz", "/one/two", "a.tar.gz", "/one/two", "/one/two/n"},
               {"/one/two/", "/one/two", "", "/one/two", "/one/two/n"},
               {"one/a.txt", "one", "a.txt", "one", "one/n"},
               {"x/a", "x", "a", "x", "x/n"},
               {"one\\two\\b.tpf", "one\\two", "b.tpf", ".", "n"},
               {"one/two\\a.txt", "one/two", "a.txt", "one", "one/n"},
               {"a//b", "a/", "b", "a/", "a//n"},
               {"a.txt", "", "a.txt", ".", "n"},
               {"", "", "", ".", "n"}};
  for (const auto& c : cases) {
    const TextObject path(c.path);
    TextObject folder("stale");
    platform::FolderOf(folder, path);
    EXPECT_EQ(folder.view(), c.folderOf) << c.path;
    TextObject name("stale");
    platform::FileNameOf(name, c.path);
    EXPECT_EQ(name.view(), c.fileNameOf) << c.path;
    EXPECT_EQ(platform::FolderOfFile(c.path), c.folderOfFile) << c.path;
    EXPECT_EQ(platform::Beside(c.path, "n"), c.beside) << c.path;
  }
  TextObject name("stale");
  platform::FileNameOf(name, nullptr);
  EXPECT_TRUE(name.isEmpty());
  EXPECT_FALSE(platform::IsSeparator(':'));
}

TEST(PathKind, EachKindAndWhatTheDetailSays) {
  km_test::ScratchFolder scratch("km_platform");
  km_test::WriteFile(scratch / "file", "x");
  ASSERT_EQ(mkfifo((scratch / "fifo").c_str(), 0600), 0);
  fs::create_symlink("fifo", scratch / "link");
  const struct {
    fs::path path;
    Links links;
    PathKind kind;
    std::string_view description;
  } cases[] = {{scratch / "file", Links::kFollow, PathKind::kRegular, ""},
               {scratch / "missing", Links::kFollow, PathKind::kMissing, "does not exist"},
               {scratch / "file/below", Links::kFollow, PathKind::kMissing, "does not exist"},
               {scratch.path(), Links::kFollow, PathKind::kFolder, "is a folder"},
               {scratch / "fifo", Links::kFollow, PathKind::kFifo, "is a FIFO, not a regular file"},
               {scratch / "link", Links::kFollow, PathKind::kFifo, "is a FIFO, not a regular file"},
               {scratch / "link", Links::kDoNotFollow, PathKind::kLink, "is a symbolic link"},
               {"/dev/null", Links::kFollow, PathKind::kCharacterDevice,
                "is a character device, not a regular file"},
               {"", Links::kFollow, PathKind::kMissing, "does not exist"}};
  for (const auto& c : cases) {
    EXPECT_EQ(platform::KindOf(c.path.c_str(), c.links), c.kind) << c.path;
    EXPECT_EQ(platform::KindDescription(c.kind), c.description) << c.path;
  }
}

}  // namespace
