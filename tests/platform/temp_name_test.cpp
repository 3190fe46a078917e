#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/file_layer.h"
#include "scratch_folder.h"

namespace {

using platform::TextObject;
using platform_test::ScratchFolder;

// Sets $TMPDIR for one test and puts the old value back.
class TmpDirOverride {
 public:
  explicit TmpDirOverride(const char* value) {
    if (const char* old = std::getenv("TMPDIR")) old_ = old;
    if (value) {
      setenv("TMPDIR", value, 1);
    } else {
      unsetenv("TMPDIR");
    }
  }
  ~TmpDirOverride() {
    if (old_) {
      setenv("TMPDIR", old_->c_str(), 1);
    } else {
      unsetenv("TMPDIR");
    }
  }

 private:
  std::optional<std::string> old_;
};

struct NameParts {
  std::string folder, prefix;
  unsigned long pid = 0, seconds = 0, millis = 0, random = 0;
};

// Four upper-case hexadecimal numbers joined by "_", and nothing else.
std::optional<std::vector<unsigned long>> HexFields(const std::string& text) {
  std::vector<unsigned long> fields;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = std::min(text.find('_', start), text.size());
    const std::string field = text.substr(start, end - start);
    if (field.empty() || field.find_first_not_of("0123456789ABCDEF") != std::string::npos) {
      return std::nullopt;
    }
    fields.push_back(std::stoul(field, nullptr, 16));
    if (end == text.size()) break;
    start = end + 1;
  }
  if (fields.size() != 4) return std::nullopt;
  return fields;
}

std::optional<NameParts> Split(const std::string& path, const std::string& prefix) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return std::nullopt;
  const std::string name = path.substr(slash + 1);
  if (name.compare(0, prefix.size(), prefix) != 0) return std::nullopt;
  const auto fields = HexFields(name.substr(prefix.size()));
  if (!fields) return std::nullopt;
  NameParts parts;
  parts.folder = path.substr(0, slash);
  parts.prefix = prefix;
  parts.pid = (*fields)[0];
  parts.seconds = (*fields)[1];
  parts.millis = (*fields)[2];
  parts.random = (*fields)[3];
  return parts;
}

TEST(TempDirectory, FollowsTmpdirWithoutTrailingSeparator) {
  {
    TmpDirOverride env("/var/tmp/");
    EXPECT_EQ(platform::TempDirectory(), "/var/tmp");
  }
  {
    TmpDirOverride env(nullptr);
    EXPECT_EQ(platform::TempDirectory(), "/tmp");
  }
  {
    TmpDirOverride env("");
    EXPECT_EQ(platform::TempDirectory(), "/tmp");
  }
  {
    TmpDirOverride env("/");
    EXPECT_EQ(platform::TempDirectory(), "/");
  }
}

TEST(MakeTempName, FolderPrefixAndFourHexParts) {
  ScratchFolder scratch;
  TmpDirOverride env(scratch.path().c_str());
  platform::FileLayerInit();
  TextObject name("stale");
  const auto before = static_cast<unsigned long>(std::time(nullptr));
  ASSERT_TRUE(platform::MakeTempName(name, "_x"));
  const auto after = static_cast<unsigned long>(std::time(nullptr));
  const auto parts = Split(name.cstr(), "_x");
  ASSERT_TRUE(parts) << name.cstr();
  EXPECT_EQ(parts->folder, scratch.path().string());
  EXPECT_EQ(parts->pid, static_cast<unsigned long>(getpid()));
  EXPECT_GE(parts->seconds, before);
  EXPECT_LE(parts->seconds, after);
  EXPECT_LT(parts->millis, 1000u);
  EXPECT_FALSE(platform::Exists(name.cstr()));  // only a name, nothing made
}

TEST(MakeTempName, UnderTheRootFolderNoDoubleSeparator) {
  TmpDirOverride env("/");
  TextObject name;
  ASSERT_TRUE(platform::MakeTempName(name, "tp_"));
  EXPECT_EQ(name.view().substr(0, 4), "/tp_");
}

TEST(MakeTempName, NamesDifferOnlyByTheRandomPartWithinOneMillisecond) {
  platform::FileLayerInit();
  std::set<std::string> names;
  std::set<unsigned long> randoms;
  for (int i = 0; i < 2000; ++i) {
    TextObject name;
    ASSERT_TRUE(platform::MakeTempName(name, "trm"));
    names.insert(name.cstr());
    const auto parts = Split(name.cstr(), "trm");
    ASSERT_TRUE(parts);
    randoms.insert(parts->random);
  }
  EXPECT_EQ(names.size(), 2000u);
  EXPECT_EQ(randoms.size(), 2000u);
}

TEST(MakeTempName, SameSeedGivesSameRandomSequence) {
  // The generator is seeded with the process id: restarting it repeats its parts.
  platform::FileLayerInit();
  TextObject first;
  ASSERT_TRUE(platform::MakeTempName(first, "a"));
  platform::FileLayerInit();
  TextObject second;
  ASSERT_TRUE(platform::MakeTempName(second, "a"));
  EXPECT_EQ(Split(first.cstr(), "a")->random, Split(second.cstr(), "a")->random);
}

TEST(MakeTempName, ThreadsGetDistinctNames) {
  platform::FileLayerInit();
  constexpr int kThreads = 4;
  constexpr int kEach = 500;
  std::vector<std::vector<std::string>> made(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&made, t] {
      for (int i = 0; i < kEach; ++i) {
        TextObject name;
        if (platform::MakeTempName(name, "tp_")) made[t].emplace_back(name.cstr());
      }
    });
  }
  for (auto& thread : threads) thread.join();
  std::set<std::string> all;
  for (const auto& list : made) all.insert(list.begin(), list.end());
  EXPECT_EQ(all.size(), static_cast<std::size_t>(kThreads * kEach));
}

TEST(MakeTempDir, CreatesAFolderWithTheGenericPrefix) {
  ScratchFolder scratch;
  TmpDirOverride env(scratch.path().c_str());
  TextObject dir;
  ASSERT_TRUE(platform::MakeTempDir(dir));
  EXPECT_TRUE(Split(dir.cstr(), "tp_")) << dir.cstr();
  struct stat st {};
  ASSERT_EQ(stat(dir.cstr(), &st), 0);
  EXPECT_TRUE(S_ISDIR(st.st_mode));
}

TEST(MakeTempDir, MissingTemporaryFolderFailsAndLeavesNothing) {
  ScratchFolder scratch;
  const std::string missing = scratch / "not-there";
  TmpDirOverride env(missing.c_str());
  TextObject dir;
  EXPECT_FALSE(platform::MakeTempDir(dir));
  EXPECT_FALSE(platform::Exists(missing.c_str()));
}

TEST(FileLayerInit, ResetsTheTextHook) {
  platform::SetTextHook([](TextObject& text) { text.set("rewritten"); });
  platform::FileLayerInit();
  TextObject text("50%");
  platform::CallTextHook(text);
  EXPECT_STREQ(text.cstr(), "50%");
  platform::FileLayerFinish();
}

}  // namespace
