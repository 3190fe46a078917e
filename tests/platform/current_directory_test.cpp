#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/file_layer.h"
#include "scratch_folder.h"

namespace {

namespace fs = std::filesystem;
using platform::TextObject;
using platform_test::ScratchFolder;

std::string Canonical(const std::string& path) {
  return fs::canonical(path).string();
}

TEST(CurrentDirectory, SetAndGet) {
  ScratchFolder scratch;
  const std::string before = fs::current_path().string();
  ASSERT_TRUE(platform::SetCwd(scratch.path().c_str()));
  TextObject cwd("stale");
  ASSERT_TRUE(platform::GetCwd(cwd));
  EXPECT_EQ(cwd.view(), Canonical(scratch.path().string()));
  EXPECT_FALSE(platform::SetCwd((scratch / "missing").c_str()));
  EXPECT_FALSE(platform::SetCwd(nullptr));
  ASSERT_TRUE(platform::GetCwd(cwd));
  EXPECT_EQ(cwd.view(), Canonical(scratch.path().string()));
  ASSERT_TRUE(platform::SetCwd(before.c_str()));
}

TEST(CurrentDirectory, PathLongerThanTheOldLimit) {
  ScratchFolder scratch;
  const std::string before = fs::current_path().string();
  fs::path deep = scratch.path();
  for (int i = 0; i < 30; ++i) deep /= std::string(20, static_cast<char>('a' + i % 26));
  fs::create_directories(deep);
  ASSERT_TRUE(platform::SetCwd(deep.c_str()));
  TextObject cwd;
  ASSERT_TRUE(platform::GetCwd(cwd));
  EXPECT_GT(cwd.length(), 600u);
  EXPECT_EQ(cwd.view(), Canonical(deep.string()));
  ASSERT_TRUE(platform::SetCwd(before.c_str()));
}

TEST(CurrentDirectory, GoneFolderIsReportedEmpty) {
  ScratchFolder scratch;
  const std::string before = fs::current_path().string();
  fs::create_directory(scratch / "gone");
  ASSERT_TRUE(platform::SetCwd((scratch / "gone").c_str()));
  fs::remove(scratch / "gone");
  TextObject cwd("stale");
  EXPECT_FALSE(platform::GetCwd(cwd));
  EXPECT_TRUE(cwd.isEmpty());
  ASSERT_TRUE(platform::SetCwd(before.c_str()));
}

TEST(CurrentDirectoryBracket, ChangesAndRestores) {
  ScratchFolder scratch;
  const std::string before = fs::current_path().string();
  {
    platform::CurrentDirectoryBracket bracket(scratch.path().string());
    EXPECT_TRUE(bracket.entered());
    EXPECT_EQ(fs::current_path(), fs::canonical(scratch.path()));
  }
  EXPECT_EQ(fs::current_path().string(), before);
  {
    platform::CurrentDirectoryBracket bracket(scratch / "missing");
    EXPECT_FALSE(bracket.entered());
    EXPECT_EQ(fs::current_path().string(), before);
  }
  EXPECT_EQ(fs::current_path().string(), before);
}

TEST(CurrentDirectoryBracket, NestsOnOneThread) {
  ScratchFolder scratch;
  fs::create_directory(scratch / "inner");
  const std::string before = fs::current_path().string();
  {
    platform::CurrentDirectoryBracket outer(scratch.path().string());
    ASSERT_TRUE(outer.entered());
    {
      platform::CurrentDirectoryBracket inner("inner");
      EXPECT_TRUE(inner.entered());
      EXPECT_EQ(fs::current_path(), fs::canonical(scratch.path() / "inner"));
    }
    EXPECT_EQ(fs::current_path(), fs::canonical(scratch.path()));
  }
  EXPECT_EQ(fs::current_path().string(), before);
}

TEST(CurrentDirectoryBracket, SerialisesThreads) {
  ScratchFolder scratch;
  constexpr int kThreads = 4;
  for (int t = 0; t < kThreads; ++t) fs::create_directory(scratch / std::to_string(t));
  std::atomic<int> wrongFolder{0};
  std::atomic<int> notEntered{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      const fs::path mine = fs::canonical(scratch.path() / std::to_string(t));
      for (int i = 0; i < 200; ++i) {
        platform::CurrentDirectoryBracket bracket(mine.string());
        if (!bracket.entered()) ++notEntered;
        platform::SleepMs(0);
        if (fs::current_path() != mine) ++wrongFolder;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(notEntered.load(), 0);
  EXPECT_EQ(wrongFolder.load(), 0);
}

TEST(FileLayerLock, OneLockForTheProcess) {
  EXPECT_EQ(&platform::FileLayerLock(), &platform::FileLayerLock());
  std::unique_lock held(platform::FileLayerLock());
  std::atomic<bool> otherGotIt{true};
  std::thread other([&] { otherGotIt = platform::FileLayerLock().try_lock(); });
  other.join();
  EXPECT_FALSE(otherGotIt.load());
}

}  // namespace
