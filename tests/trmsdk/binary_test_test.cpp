#include "encoding/binary_test.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

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
}

}  // namespace
