#include "platform/temp_name.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <ctime>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "env_override.h"
#include "platform/process_lock.h"
#include "scratch_folder.h"

namespace {

namespace fs = std::filesystem;
using km_test::EnvOverride;
using platform::TextObject;

struct NameParts {
  std::string folder;
  unsigned long pid = 0, seconds = 0, millis = 0, random = 0;
};

// folder + "/" + prefix + four upper-case hexadecimal numbers joined by "_", nothing else.
std::optional<NameParts> Split(const std::string& path, const std::string& prefix) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos || path.compare(slash + 1, prefix.size(), prefix) != 0) {
    return std::nullopt;
  }
  NameParts p{path.substr(0, slash)};
  std::size_t at = slash + 1 + prefix.size();
  for (unsigned long* part : {&p.pid, &p.seconds, &p.millis, &p.random}) {
    const std::size_t end = std::min(path.find('_', at), path.size());
    if (end == at || path.find_first_not_of("0123456789ABCDEF", at) < end) return std::nullopt;
    *part = std::stoul(path.substr(at, end - at), nullptr, 16);
    at = end + 1;
  }
  if (at != path.size() + 1) return std::nullopt;
  return p;
}

TEST(TempDirectory, FollowsTmpdirWithoutTrailingSeparator) {
  const std::pair<std::optional<std::string>, std::string> cases[] = {
      {"/var/tmp/", "/var/tmp"}, {std::nullopt, "/tmp"}, {"", "/tmp"}, {"/", "/"}};
  for (const auto& [value, expected] : cases) {
    const EnvOverride env("TMPDIR", value);
    EXPECT_EQ(platform::TempDirectory(), expected) << value.value_or("(unset)");
  }
}

TEST(MakeTempName, FolderPrefixAndFourHexParts) {
  const km_test::ScratchFolder scratch("km_platform");
  const EnvOverride env("TMPDIR", scratch.path().string());
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
  EXPECT_FALSE(fs::exists(name.cstr()));  // only a name, nothing made

  const EnvOverride root("TMPDIR", "/");
  ASSERT_TRUE(platform::MakeTempName(name, "tp_"));
  EXPECT_EQ(name.view().substr(0, 4), "/tp_");  // no doubled separator
}

TEST(MakeTempName, RandomPartSeededWithThePidAndUniqueAcrossThreads) {
  // The generator is seeded with the process id: restarting it repeats its parts.
  platform::FileLayerInit();
  TextObject first;
  ASSERT_TRUE(platform::MakeTempName(first, "a"));
  platform::FileLayerInit();
  TextObject second;
  ASSERT_TRUE(platform::MakeTempName(second, "a"));
  EXPECT_EQ(Split(first.cstr(), "a")->random, Split(second.cstr(), "a")->random);

  // Names made within one millisecond differ only by the random part, which never repeats.
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
  std::set<unsigned long> randoms;
  for (const auto& list : made) {
    for (const std::string& name : list) randoms.insert(Split(name, "tp_")->random);
  }
  EXPECT_EQ(randoms.size(), static_cast<std::size_t>(kThreads * kEach));
}

TEST(MakeTempDir, CreatesAFolderOrNothing) {
  const km_test::ScratchFolder scratch("km_platform");
  {
    const EnvOverride env("TMPDIR", scratch.path().string());
    TextObject dir;
    ASSERT_TRUE(platform::MakeTempDir(dir));
    EXPECT_TRUE(Split(dir.cstr(), "tp_")) << dir.cstr();
    EXPECT_TRUE(fs::is_directory(dir.cstr()));
  }
  const fs::path missing = scratch / "not-there";
  const EnvOverride env("TMPDIR", missing.string());
  TextObject dir;
  EXPECT_FALSE(platform::MakeTempDir(dir));
  EXPECT_FALSE(fs::exists(missing));
}

}  // namespace
