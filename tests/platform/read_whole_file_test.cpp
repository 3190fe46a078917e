#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/file_layer.h"
#include "scratch_folder.h"

namespace {

using platform::ReadWholeFile;
using platform_test::ScratchFolder;
using platform_test::WriteFile;

TEST(ReadWholeFile, MissingFileGivesNothing) {
  ScratchFolder scratch;
  EXPECT_FALSE(ReadWholeFile((scratch / "none").c_str()));
  EXPECT_FALSE(ReadWholeFile(nullptr));
}

TEST(ReadWholeFile, EmptyFileGivesNoBytes) {
  ScratchFolder scratch;
  WriteFile(scratch / "empty", "");
  const auto bytes = ReadWholeFile((scratch / "empty").c_str());
  ASSERT_TRUE(bytes);
  EXPECT_TRUE(bytes->empty());
}

TEST(ReadWholeFile, FolderGivesNothing) {
  ScratchFolder scratch;
  EXPECT_FALSE(ReadWholeFile(scratch.path().c_str()));
}

TEST(ReadWholeFile, BinaryBytesComeBackUnchanged) {
  ScratchFolder scratch;
  std::string all;
  for (int round = 0; round < 300; ++round) {
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  }
  all += "\r\n\x1a\r";
  WriteFile(scratch / "bin", all);
  const auto bytes = ReadWholeFile((scratch / "bin").c_str());
  ASSERT_TRUE(bytes);
  ASSERT_EQ(bytes->size(), all.size());
  EXPECT_TRUE(std::equal(bytes->begin(), bytes->end(), all.begin(), [](unsigned char a, char b) {
    return a == static_cast<unsigned char>(b);
  }));
}

TEST(ReadWholeFile, FileThatCannotBeOpenedGivesNothing) {
  ScratchFolder scratch;
  // A link loop cannot be opened by anyone, root included.
  std::filesystem::create_symlink("loop", scratch / "loop");
  EXPECT_FALSE(ReadWholeFile((scratch / "loop").c_str()));
}

TEST(ReadWholeFile, DeviceWithoutSizeGivesNothing) {
  EXPECT_FALSE(ReadWholeFile("/dev/null"));
}

}  // namespace
