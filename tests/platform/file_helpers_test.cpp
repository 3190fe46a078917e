#include "platform/file_helpers.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <optional>
#include <string>

#include "env_override.h"
#include "file_io.h"
#include "platform/unique_fd.h"
#include "process.h"
#include "random_bytes.h"
#include "scratch_folder.h"

namespace {

namespace fs = std::filesystem;
using km_test::ReadFile;
using km_test::WriteFile;
using platform::TextObject;

// A disk that is full after the given number of bytes of any one file; holds for root too.
km_test::ProcessOptions DiskFullAfter(rlim_t bytes) {
  return {{}, {}, bytes, {}};
}

// Runs in its scratch folder, so names are relative; the folder puts the directory back.
class FileHelpers : public ::testing::Test {
 protected:
  void SetUp() override { fs::current_path(scratch.path()); }
  km_test::ScratchFolder scratch{"km_platform"};
};

TEST_F(FileHelpers, MakeFoldersAndRemoveEmptyOnes) {
  EXPECT_TRUE(platform::MakeDir("d"));
  EXPECT_FALSE(platform::MakeDir("d"));  // already there
  EXPECT_FALSE(platform::MakeDir("x/y") || platform::MakeDir(nullptr));
  WriteFile("d/f", "x");
  EXPECT_FALSE(platform::RemoveDir("d"));  // not empty
  fs::remove("d/f");
  EXPECT_TRUE(platform::RemoveDir("d"));
  EXPECT_FALSE(platform::RemoveDir("d") || platform::RemoveDir(nullptr));

  // MakeDirPath makes the folders of a file's path, only those missing.
  EXPECT_TRUE(platform::MakeDirPath((scratch / "a/b/c/file.txt").c_str()));
  EXPECT_TRUE(fs::is_directory("a/b/c"));
  EXPECT_FALSE(fs::exists("a/b/c/file.txt"));
  const auto before = fs::last_write_time("a/b");
  EXPECT_TRUE(platform::MakeDirPath("a/b/file.txt"));
  EXPECT_EQ(fs::last_write_time("a/b"), before);
  // Doubled separators; a backslash is part of a name.
  EXPECT_TRUE(platform::MakeDirPath("rel//one\\two/file"));
  EXPECT_TRUE(fs::is_directory("rel/one\\two"));
  EXPECT_FALSE(fs::exists("rel/one"));
  EXPECT_TRUE(platform::MakeDirPath("bare-name"));
  EXPECT_TRUE(platform::MakeDirPath("x\\y"));
  EXPECT_FALSE(fs::exists("x\\y"));
  // A file where a folder is needed, and a name no file system takes: fails for root too.
  WriteFile("plain", "x");
  for (const std::string& path : {std::string("plain/sub/file.txt"), std::string("plain/file"),
                                  std::string(300, 'n') + "/sub/f"}) {
    EXPECT_FALSE(platform::MakeDirPath(path.c_str())) << path;
  }
  EXPECT_FALSE(platform::MakeDirPath(nullptr));
}

TEST_F(FileHelpers, RenameNoReplaceOnlyWhileTheTargetIsFree) {
  using platform::RenameNoReplace;
  using platform::RenameResult;
  WriteFile("first", "1");
  EXPECT_EQ(RenameNoReplace("first", "target"), RenameResult::kDone);
  EXPECT_EQ(ReadFile("target"), "1");
  EXPECT_FALSE(fs::exists("first"));
  WriteFile("second", "2");
  fs::create_symlink("nowhere", "link");
  EXPECT_EQ(RenameNoReplace("second", "target"), RenameResult::kTargetExists);
  EXPECT_EQ(RenameNoReplace("second", "link"), RenameResult::kTargetExists);
  EXPECT_EQ(ReadFile("target"), "1");
  EXPECT_TRUE(fs::is_symlink("link"));
  EXPECT_EQ(ReadFile("second"), "2");
  EXPECT_EQ(RenameNoReplace("none", "x"), RenameResult::kFailed);
  EXPECT_EQ(RenameNoReplace(nullptr, "x"), RenameResult::kFailed);
}

// FindFirst follows the system's wildcards, WildMatch the generator's own: the same pattern
// may give different answers, on purpose.
TEST_F(FileHelpers, FindFirstUsesSystemWildcards) {
  for (const char* name : {"b.ps", "a.ps", "c.txt", "!x"}) WriteFile(name, "");
  const struct {
    std::string pattern;
    const char* found;                                       // empty: none
  } cases[] = {{scratch.path().string() + "/*.ps", "a.ps"},  // the smallest name
               {"c.txt", "c.txt"},
               {"*.pdf", ""},
               {"[!ab]*", "!x"},  // "!" negates
               {"missing/*", ""},
               {"a.ps/", ""}};
  for (const auto& c : cases) {
    TextObject found("stale");
    EXPECT_EQ(platform::FindFirst(found, c.pattern.c_str()), *c.found != '\0') << c.pattern;
    EXPECT_STREQ(found.cstr(), c.found) << c.pattern;
  }
  TextObject found;
  EXPECT_FALSE(platform::FindFirst(found, nullptr));
}

TEST_F(FileHelpers, CopyRemoveAndExists) {
  const std::string binary("bin\0ary", 7);
  WriteFile("src", binary);
  WriteFile("dst", "older and longer contents");
  EXPECT_TRUE(platform::CopyFileTo(TextObject("src"), TextObject("dst")));
  EXPECT_EQ(ReadFile("dst"), binary);
  EXPECT_FALSE(platform::CopyFileTo(TextObject("none"), TextObject("dst")));
  EXPECT_FALSE(platform::CopyFileTo(TextObject("src"), TextObject("no/dst")));
  // A link at the target is replaced, never written through; special bits are not copied; a
  // failed copy leaves the old target and no staging file.
  WriteFile("outside", "keep");
  fs::create_symlink("outside", "link");
  chmod("src", 04755);
  EXPECT_TRUE(platform::CopyFileTo(TextObject("src"), TextObject("link")));
  EXPECT_EQ(ReadFile("outside"), "keep");
  EXPECT_FALSE(fs::is_symlink("link"));
  EXPECT_EQ(fs::status("link").permissions(), fs::perms(0755));
  fs::create_directory("folder");
  EXPECT_FALSE(platform::CopyFileTo(TextObject("folder"), TextObject("dst")));
  EXPECT_EQ(ReadFile("dst"), binary);
  EXPECT_EQ(std::distance(fs::directory_iterator("."), fs::directory_iterator()), 5);

  fs::create_directory("d");
  EXPECT_TRUE(platform::Exists("src") && platform::Exists("d"));
  EXPECT_FALSE(platform::Exists("g") || platform::Exists("") || platform::Exists(nullptr));
  EXPECT_TRUE(platform::RemoveFile(TextObject("src")));
  EXPECT_FALSE(fs::exists("src"));
  EXPECT_FALSE(platform::RemoveFile(TextObject("src")));
  EXPECT_FALSE(platform::RemoveFile(TextObject("d")));
  EXPECT_TRUE(fs::is_directory("d"));
}

TEST_F(FileHelpers, MoveFileToReplacesTheTargetOrChangesNothing) {
  WriteFile("src", "new");
  WriteFile("dst", "old old old");
  EXPECT_TRUE(platform::MoveFileTo(TextObject("src"), TextObject("dst")));
  EXPECT_EQ(ReadFile("dst"), "new");
  EXPECT_FALSE(fs::exists("src"));
  EXPECT_FALSE(platform::MoveFileTo(TextObject("src"), TextObject("dst")));  // source gone
  fs::create_directories("dir/inner");
  EXPECT_FALSE(platform::MoveFileTo(TextObject("dst"), TextObject("dir")));
  EXPECT_EQ(ReadFile("dst"), "new");
}

// /dev/shm is a tmpfs on every Linux machine this runs on; the scratch folder is not.
TEST_F(FileHelpers, MoveFileToAcrossFileSystems) {
  struct stat here {
  }, there{};
  ASSERT_TRUE(stat(".", &here) == 0 && stat("/dev/shm", &there) == 0);
  ASSERT_NE(here.st_dev, there.st_dev) << "the scratch folder lies on /dev/shm's file system";
  std::optional<km_test::EnvOverride> tmpdir(std::in_place, "TMPDIR", "/dev/shm");
  const km_test::ScratchFolder made("km_platform_other");
  tmpdir.reset();
  const fs::path other = made.path();
  const std::string big = km_test::RandomBytes(300000, 7);
  WriteFile("src", big);
  fs::permissions("src", fs::perms::owner_read | fs::perms::owner_write);
  WriteFile(other / "dst", "old");
  const TextObject target((other / "dst").c_str());

  // A full disk on the way leaves everything as it was.
  const auto full = km_test::RunInChild(
      [&] { return platform::MoveFileTo(TextObject("src"), target) ? "moved" : "refused"; },
      DiskFullAfter(1000));
  EXPECT_EQ(full.out, "refused");
  EXPECT_EQ(ReadFile(other / "dst"), "old");
  EXPECT_EQ(km_test::FolderEntries(other), std::vector<std::string>{"dst"});  // no staging file

  EXPECT_FALSE(platform::MoveFileTo(TextObject("src"), TextObject((other / "no/dst").c_str())));
  EXPECT_TRUE(platform::MoveFileTo(TextObject("src"), target));
  EXPECT_TRUE(ReadFile(other / "dst") == big);
  EXPECT_EQ(fs::status(other / "dst").permissions() & fs::perms::all,
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_FALSE(fs::exists("src"));
  EXPECT_EQ(km_test::FolderEntries(other), std::vector<std::string>{"dst"});
}

TEST_F(FileHelpers, ReadWholeFileByPathAndByDescriptor) {
  std::string all;
  for (int i = 0; i < 300 * 256; ++i) all.push_back(static_cast<char>(i));
  WriteFile("bin", all);
  WriteFile("empty", "");
  fs::create_symlink("loop", "loop");
  const auto bytes = platform::ReadWholeFile("bin");
  ASSERT_TRUE(bytes);
  EXPECT_TRUE(std::string(bytes->begin(), bytes->end()) == all);
  EXPECT_TRUE(platform::ReadWholeFile("empty")->empty());
  // A link to itself cannot be opened by anyone, root included.
  for (const char* unreadable :
       {"none", "loop", ".", "/dev/null", static_cast<const char*>(nullptr)}) {
    EXPECT_FALSE(platform::ReadWholeFile(unreadable)) << (unreadable ? unreadable : "(null)");
  }
  // By descriptor: from the start whatever the offset, which stays; bounded by a limit.
  const platform::UniqueFd fd(open("bin", O_RDONLY | O_CLOEXEC));
  ASSERT_EQ(lseek(fd.get(), 10, SEEK_SET), 10);
  EXPECT_TRUE(platform::ReadWholeFile(fd.get(), all.size()) == all);
  EXPECT_EQ(lseek(fd.get(), 0, SEEK_CUR), 10);
  EXPECT_FALSE(platform::ReadWholeFile(fd.get(), all.size() - 1));
  const platform::UniqueFd folder(open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  EXPECT_FALSE(platform::ReadWholeFile(folder.get()) || platform::ReadWholeFile(-1));
}

TEST_F(FileHelpers, WriteAllAndSyncFolder) {
  const auto full = km_test::RunInChild(
      [] {
        const platform::UniqueFd fd(open("out", O_WRONLY | O_CREAT | O_CLOEXEC, 0600));
        const bool done = platform::WriteAll(fd.get(), std::string(5000, 'w'));
        return std::string(done ? "written" : "failed") + (errno == EFBIG ? " EFBIG" : "");
      },
      DiskFullAfter(4096));
  EXPECT_EQ(full.out, "failed EFBIG");
  EXPECT_EQ(ReadFile("out"), std::string(4096, 'w'));  // what was written stays
  {
    const platform::UniqueFd fd(open("out", O_WRONLY | O_TRUNC | O_CLOEXEC));
    EXPECT_TRUE(platform::WriteAll(fd.get(), "whole") && platform::WriteAll(fd.get(), ""));
  }
  EXPECT_EQ(ReadFile("out"), "whole");
  EXPECT_FALSE(platform::WriteAll(-1, "x"));
  EXPECT_TRUE(platform::SyncFolder("."));
  for (const char* notAFolder : {"out", "none", static_cast<const char*>(nullptr)}) {
    EXPECT_FALSE(platform::SyncFolder(notAFolder)) << (notAFolder ? notAFolder : "(null)");
  }
}

}  // namespace
