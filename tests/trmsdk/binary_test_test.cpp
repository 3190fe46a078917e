#include "encoding/binary_test.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Text(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

Bytes ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

TEST(IsBinaryData, EachByteValue) {
  // Text: BS, TAB, LF, VT, FF, CR and 32 to 127 (DEL included).
  std::set<int> text = {8, 9, 10, 11, 12, 13};
  for (int c = 32; c <= 127; ++c) text.insert(c);
  for (int c = 0; c < 256; ++c) {
    Bytes data = Text("%!PS\nshow\n");
    data.insert(data.begin() + 5, static_cast<unsigned char>(c));
    EXPECT_EQ(trm::IsBinaryData(data), text.count(c) == 0) << "byte " << c;
  }
}

TEST(IsBinaryData, Boundaries) {
  EXPECT_FALSE(trm::IsBinaryData(Bytes{}));
  EXPECT_TRUE(trm::IsBinaryData(Bytes{7}));
  EXPECT_FALSE(trm::IsBinaryData(Bytes{8}));
  EXPECT_FALSE(trm::IsBinaryData(Bytes{13}));
  EXPECT_TRUE(trm::IsBinaryData(Bytes{14}));
  EXPECT_TRUE(trm::IsBinaryData(Bytes{31}));
  EXPECT_FALSE(trm::IsBinaryData(Bytes{32}));
  // Only the last byte of a long text gives it away.
  Bytes longText(100000, 'a');
  EXPECT_FALSE(trm::IsBinaryData(longText));
  longText.back() = 0x80;
  EXPECT_TRUE(trm::IsBinaryData(longText));
}

TEST(IsBinaryData, AccentedLetterInText) {
  EXPECT_TRUE(trm::IsBinaryData(Text("caf\xE9 au lait\n")));
  EXPECT_TRUE(trm::IsBinaryData(Text("caf\xC3\xA9\n")));  // the same in UTF-8
}

TEST(IsBinaryData, RealFiles) {
  const std::filesystem::path fonts = "/usr/share/fonts/type1/urw-base35";
  const Bytes metrics = ReadFile(fonts / "NimbusSans-Regular.afm");
  ASSERT_FALSE(metrics.empty()) << "fonts-urw-base35 is missing (scripts/setup installs it)";
  EXPECT_FALSE(trm::IsBinaryData(metrics));
  const Bytes font = ReadFile(fonts / "NimbusSans-Regular.t1");
  ASSERT_FALSE(font.empty());
  EXPECT_TRUE(trm::IsBinaryData(font));  // its eexec part is binary
}

}  // namespace
