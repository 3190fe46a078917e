#include "platform/current_directory.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/process_lock.h"
#include "scratch_folder.h"

namespace {

namespace fs = std::filesystem;
using platform::TextObject;

class CurrentDirectory : public ::testing::Test {
 protected:
  km_test::ScratchFolder scratch{"km_platform"};  // puts the test's directory back
  const fs::path home = fs::canonical(scratch.path());
};

TEST_F(CurrentDirectory, SetAndGetAnyLength) {
  fs::path deep = home;
  for (int i = 0; i < 30; ++i) deep /= std::string(20, static_cast<char>('a' + i % 26));
  fs::create_directories(deep);
  for (const fs::path& folder : {home, deep}) {
    ASSERT_TRUE(platform::SetCwd(folder.c_str()));
    TextObject cwd("stale");
    ASSERT_TRUE(platform::GetCwd(cwd));
    EXPECT_EQ(cwd.view(), folder.string());
  }
  EXPECT_FALSE(platform::SetCwd((home / "missing").c_str()));
  EXPECT_FALSE(platform::SetCwd(nullptr));
  EXPECT_EQ(fs::current_path(), deep);

  // A current directory that was removed has no name any more.
  fs::create_directory(home / "gone");
  ASSERT_TRUE(platform::SetCwd((home / "gone").c_str()));
  fs::remove(home / "gone");
  TextObject cwd("stale");
  EXPECT_FALSE(platform::GetCwd(cwd));
  EXPECT_TRUE(cwd.isEmpty());
}

TEST_F(CurrentDirectory, BracketChangesNestsAndRestores) {
  fs::create_directory(home / "inner");
  const fs::path before = fs::current_path();
  {
    const platform::CurrentDirectoryBracket outer(home.string());
    ASSERT_TRUE(outer.entered());
    {
      const platform::CurrentDirectoryBracket inner("inner");
      EXPECT_TRUE(inner.entered());
      EXPECT_EQ(fs::current_path(), home / "inner");
    }
    EXPECT_EQ(fs::current_path(), home);
    const platform::CurrentDirectoryBracket missing("missing");
    EXPECT_FALSE(missing.entered());
    EXPECT_EQ(fs::current_path(), home);
  }
  EXPECT_EQ(fs::current_path(), before);
}

TEST_F(CurrentDirectory, BracketHoldsTheProcessLock) {
  constexpr int kThreads = 4;
  std::atomic<int> wrong{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    const fs::path mine = home / std::to_string(t);
    fs::create_directory(mine);
    threads.emplace_back([&wrong, mine] {
      for (int i = 0; i < 200; ++i) {
        const platform::CurrentDirectoryBracket bracket(mine.string());
        platform::SleepMs(0);
        if (!bracket.entered() || fs::current_path() != mine) ++wrong;
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
