#include "encoding/binary_test.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "file_io.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Text(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

TEST(IsBinaryData, EachByteValueInText) {
  // Text: BS, TAB, LF, VT, FF, CR and 32 to 127 (DEL included).
  for (int c = 0; c < 256; ++c) {
    const bool text = (c >= 8 && c <= 13) || (c >= 32 && c <= 127);
    Bytes data = Text("%!PS\nshow\n");
    data.insert(data.begin() + 5, static_cast<unsigned char>(c));
    EXPECT_EQ(trm::IsBinaryData(data), !text) << "byte " << c;
  }
  EXPECT_FALSE(trm::IsBinaryData(Bytes{}));
  // Only the last byte of a long text gives it away.
  Bytes longText(100000, 'a');
  EXPECT_FALSE(trm::IsBinaryData(longText));
  longText.back() = 0x80;
  EXPECT_TRUE(trm::IsBinaryData(longText));
  EXPECT_TRUE(trm::IsBinaryData(Text("caf\xC3\xA9\n")));  // an accented letter in UTF-8
}

TEST(IsBinaryData, RealFiles) {
  const std::string fonts = "/usr/share/fonts/type1/urw-base35/";
  const std::string metrics = km_test::ReadFile(fonts + "NimbusSans-Regular.afm");
  ASSERT_FALSE(metrics.empty()) << "fonts-urw-base35 is missing (scripts/setup installs it)";
  EXPECT_FALSE(trm::IsBinaryData(Text(metrics)));
  // Its eexec part is binary.
  EXPECT_TRUE(trm::IsBinaryData(Text(km_test::ReadFile(fonts + "NimbusSans-Regular.t1"))));
}

}  // namespace
