#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/file_layer.h"
#include "scratch_folder.h"

namespace {

namespace fs = std::filesystem;
using platform::TextObject;
using platform_test::ReadFile;
using platform_test::ScratchFolder;
using platform_test::WriteFile;

TEST(MakeDir, NewExistingAndNested) {
  ScratchFolder scratch;
  const std::string dir = scratch / "d";
  EXPECT_TRUE(platform::MakeDir(dir.c_str()));
  EXPECT_TRUE(fs::is_directory(dir));
  EXPECT_FALSE(platform::MakeDir(dir.c_str()));  // already there
  EXPECT_FALSE(platform::MakeDir((scratch / "x/y").c_str()));
  EXPECT_FALSE(platform::MakeDir(nullptr));
}

TEST(RemoveDir, EmptyOnly) {
  ScratchFolder scratch;
  const std::string dir = scratch / "d";
  fs::create_directory(dir);
  WriteFile(dir + "/f", "x");
  EXPECT_FALSE(platform::RemoveDir(dir.c_str()));
  fs::remove(dir + "/f");
  EXPECT_TRUE(platform::RemoveDir(dir.c_str()));
  EXPECT_FALSE(fs::exists(dir));
  EXPECT_FALSE(platform::RemoveDir(dir.c_str()));
}

TEST(MakeDirPath, CreatesEveryMissingFolderButNotTheFile) {
  ScratchFolder scratch;
  const std::string file = scratch / "a/b/c/file.txt";
  EXPECT_TRUE(platform::MakeDirPath(file.c_str()));
  EXPECT_TRUE(fs::is_directory(scratch / "a/b/c"));
  EXPECT_FALSE(fs::exists(file));
}

TEST(MakeDirPath, AllFoldersPresentCreatesNothing) {
  ScratchFolder scratch;
  fs::create_directories(scratch / "a/b");
  const auto before = fs::last_write_time(scratch / "a/b");
  EXPECT_TRUE(platform::MakeDirPath((scratch / "a/b/file.txt").c_str()));
  EXPECT_EQ(std::distance(fs::directory_iterator(scratch / "a/b"), fs::directory_iterator()), 0);
  EXPECT_EQ(fs::last_write_time(scratch / "a/b"), before);
}

TEST(MakeDirPath, RelativePathDoubledSeparatorsAndBackslashNames) {
  ScratchFolder scratch;
  ASSERT_TRUE(platform::SetCwd(scratch.path().c_str()));
  // A backslash is part of a folder's name, not a separator.
  EXPECT_TRUE(platform::MakeDirPath("rel//one\\two/file"));
  EXPECT_TRUE(fs::is_directory(scratch / "rel/one\\two"));
  EXPECT_FALSE(fs::exists(scratch / "rel/one"));
  EXPECT_TRUE(platform::MakeDirPath("rel/name\\with\\backslashes"));
  EXPECT_FALSE(fs::exists(scratch / "rel/name"));
  EXPECT_TRUE(platform::MakeDirPath("bare-name"));  // no folder part: nothing to do
  EXPECT_TRUE(platform::MakeDirPath("a\\b"));
  EXPECT_FALSE(fs::exists(scratch / "a"));
}

TEST(MakeDirPath, UnderARegularFileFails) {
  ScratchFolder scratch;
  WriteFile(scratch / "plain", "x");
  EXPECT_FALSE(platform::MakeDirPath((scratch / "plain/sub/file.txt").c_str()));
  // The file itself standing where a folder should be is a failure too.
  EXPECT_FALSE(platform::MakeDirPath((scratch / "plain/file.txt").c_str()));
}

TEST(MakeDirPath, FolderThatCannotBeMadeFails) {
  ScratchFolder scratch;
  // A name longer than any file system takes fails for every user, root too.
  const std::string tooLong(300, 'n');
  EXPECT_FALSE(platform::MakeDirPath((scratch / (tooLong + "/sub/file")).c_str()));
}

TEST(RenameNoReplace, RenamesOnlyWhileTheTargetIsFree) {
  ScratchFolder scratch;
  WriteFile(scratch / "first", "1");
  EXPECT_EQ(platform::RenameNoReplace((scratch / "first").c_str(), (scratch / "target").c_str()),
            platform::RenameResult::kDone);
  EXPECT_EQ(ReadFile(scratch / "target"), "1");
  EXPECT_FALSE(fs::exists(scratch / "first"));
  // Whatever holds the name stays, and so does the source.
  WriteFile(scratch / "second", "2");
  fs::create_symlink("nowhere", scratch / "link");
  for (const char* taken : {"target", "link"}) {
    EXPECT_EQ(platform::RenameNoReplace((scratch / "second").c_str(), (scratch / taken).c_str()),
              platform::RenameResult::kTargetExists);
  }
  EXPECT_EQ(ReadFile(scratch / "target"), "1");
  EXPECT_TRUE(fs::is_symlink(scratch / "link"));
  EXPECT_EQ(ReadFile(scratch / "second"), "2");
  EXPECT_EQ(platform::RenameNoReplace((scratch / "none").c_str(), (scratch / "x").c_str()),
            platform::RenameResult::kFailed);
}

TEST(FindFirst, FirstMatchingNameWithoutFolder) {
  ScratchFolder scratch;
  WriteFile(scratch / "b.ps", "");
  WriteFile(scratch / "a.ps", "");
  WriteFile(scratch / "c.txt", "");
  TextObject found("stale");
  EXPECT_TRUE(platform::FindFirst(found, (scratch / "*.ps").c_str()));
  EXPECT_STREQ(found.cstr(), "a.ps");
  EXPECT_TRUE(platform::FindFirst(found, (scratch / "c.txt").c_str()));
  EXPECT_STREQ(found.cstr(), "c.txt");
  EXPECT_FALSE(platform::FindFirst(found, (scratch / "*.pdf").c_str()));
  EXPECT_STREQ(found.cstr(), "");
  EXPECT_FALSE(platform::FindFirst(found, (scratch / "missing/*").c_str()));
}

TEST(FindFirst, RelativePatternSearchesTheCurrentFolder) {
  ScratchFolder scratch;
  WriteFile(scratch / "run.tpf", "");
  ASSERT_TRUE(platform::SetCwd(scratch.path().c_str()));
  TextObject found;
  EXPECT_TRUE(platform::FindFirst(found, "*.tpf"));
  EXPECT_STREQ(found.cstr(), "run.tpf");
}

TEST(CopyFileTo, CopiesAndOverwrites) {
  ScratchFolder scratch;
  WriteFile(scratch / "src", std::string("bin\0ary", 7));
  WriteFile(scratch / "dst", "older and longer contents");
  TextObject source((scratch / "src").c_str());
  TextObject target((scratch / "dst").c_str());
  EXPECT_TRUE(platform::CopyFileTo(source, target));
  EXPECT_EQ(ReadFile(scratch / "dst"), std::string("bin\0ary", 7));
  EXPECT_TRUE(fs::exists(scratch / "src"));
  TextObject missing((scratch / "none").c_str());
  EXPECT_FALSE(platform::CopyFileTo(missing, target));
  TextObject intoMissingFolder((scratch / "no/dst").c_str());
  EXPECT_FALSE(platform::CopyFileTo(source, intoMissingFolder));
}

TEST(MoveFileTo, MovesAndReplacesTheTarget) {
  ScratchFolder scratch;
  WriteFile(scratch / "src", "new");
  WriteFile(scratch / "dst", "old old old");
  TextObject source((scratch / "src").c_str());
  TextObject target((scratch / "dst").c_str());
  EXPECT_TRUE(platform::MoveFileTo(source, target));
  EXPECT_EQ(ReadFile(scratch / "dst"), "new");
  EXPECT_FALSE(fs::exists(scratch / "src"));
  EXPECT_FALSE(platform::MoveFileTo(source, target));  // source gone
}

TEST(MoveFileTo, OntoAFolderFails) {
  ScratchFolder scratch;
  WriteFile(scratch / "src", "data");
  fs::create_directories(scratch / "dir/inner");
  TextObject source((scratch / "src").c_str());
  TextObject target((scratch / "dir").c_str());
  EXPECT_FALSE(platform::MoveFileTo(source, target));
  EXPECT_EQ(ReadFile(scratch / "src"), "data");
}

// Two folders on different file systems, when the machine has them.
bool OtherFileSystem(const fs::path& here, fs::path& there) {
  struct stat mine {};
  if (stat(here.c_str(), &mine) != 0) return false;
  for (const char* candidate : {"/dev/shm", "/run/user", "/var/tmp", "/tmp"}) {
    struct stat st {};
    if (stat(candidate, &st) == 0 && S_ISDIR(st.st_mode) && st.st_dev != mine.st_dev &&
        access(candidate, W_OK) == 0) {
      there = candidate;
      return true;
    }
  }
  return false;
}

TEST(MoveFileTo, AcrossFileSystemsReplacesTheTarget) {
  ScratchFolder scratch;
  fs::path otherRoot;
  if (!OtherFileSystem(scratch.path(), otherRoot)) {
    GTEST_SKIP() << "no second file system to move across";
  }
  const fs::path other = otherRoot / ("km_platform_move_" + std::to_string(getpid()));
  fs::create_directory(other);
  std::string big(300000, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 % 251);
  WriteFile(scratch / "src", big);
  fs::permissions(scratch / "src", fs::perms::owner_read | fs::perms::owner_write);
  WriteFile((other / "dst").string(), "old");
  TextObject source((scratch / "src").c_str());
  TextObject target((other / "dst").c_str());
  const bool moved = platform::MoveFileTo(source, target);
  const std::string arrived = ReadFile((other / "dst").string());
  const auto perms = fs::status(other / "dst").permissions();
  const auto leftovers = std::distance(fs::directory_iterator(other), fs::directory_iterator());
  fs::remove_all(other);
  EXPECT_TRUE(moved);
  EXPECT_TRUE(arrived == big);
  EXPECT_EQ(perms & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_FALSE(fs::exists(scratch / "src"));
  EXPECT_EQ(leftovers, 1);  // no staging file left beside the target
}

TEST(MoveFileTo, AcrossFileSystemsIntoAMissingFolderKeepsTheSource) {
  ScratchFolder scratch;
  fs::path otherRoot;
  if (!OtherFileSystem(scratch.path(), otherRoot)) {
    GTEST_SKIP() << "no second file system to move across";
  }
  WriteFile(scratch / "src", "keep me");
  TextObject source((scratch / "src").c_str());
  TextObject target((otherRoot / "km_platform_no_such_folder" / "dst").c_str());
  EXPECT_FALSE(platform::MoveFileTo(source, target));
  EXPECT_EQ(ReadFile(scratch / "src"), "keep me");
}

TEST(RemoveFile, FilesOnly) {
  ScratchFolder scratch;
  WriteFile(scratch / "f", "x");
  fs::create_directory(scratch / "d");
  TextObject file((scratch / "f").c_str());
  TextObject dir((scratch / "d").c_str());
  EXPECT_TRUE(platform::RemoveFile(file));
  EXPECT_FALSE(fs::exists(scratch / "f"));
  EXPECT_FALSE(platform::RemoveFile(file));
  EXPECT_FALSE(platform::RemoveFile(dir));
  EXPECT_TRUE(fs::is_directory(scratch / "d"));
}

TEST(Exists, FilesAndFolders) {
  ScratchFolder scratch;
  WriteFile(scratch / "f", "");
  EXPECT_TRUE(platform::Exists((scratch / "f").c_str()));
  EXPECT_TRUE(platform::Exists(scratch.path().c_str()));
  EXPECT_FALSE(platform::Exists((scratch / "g").c_str()));
  EXPECT_FALSE(platform::Exists(""));
  EXPECT_FALSE(platform::Exists(nullptr));
}

}  // namespace
