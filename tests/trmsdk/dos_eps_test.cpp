#include "encoding/dos_eps.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

void PutLittleEndian(Bytes& data, std::size_t offset, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) data[offset + i] = static_cast<unsigned char>(value >> (8 * i));
}

Bytes Text(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// A 30-byte DOS EPS header; the PostScript fields are filled in although nothing reads them.
Bytes Header(std::uint32_t wmfStart, std::uint32_t wmfLength, std::uint32_t tiffStart,
             std::uint32_t tiffLength) {
  Bytes header(30, 0);
  PutLittleEndian(header, 0, 0xC6D3D0C5u);
  PutLittleEndian(header, 4, 30);
  PutLittleEndian(header, 8, 1234);
  PutLittleEndian(header, 12, wmfStart);
  PutLittleEndian(header, 16, wmfLength);
  PutLittleEndian(header, 20, tiffStart);
  PutLittleEndian(header, 24, tiffLength);
  header[28] = 0xFF;  // checksum "none"
  header[29] = 0xFF;
  return header;
}

const Bytes kPostScript = Text("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\nshowpage\n");
const Bytes kPreview = {0x49, 0x49, 0x2A, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x0A, 0xFF};

TEST(StripDosEps, TiffPreviewAtEnd) {
  const auto start = static_cast<std::uint32_t>(30 + kPostScript.size());
  const Bytes file = Concat({Header(0, 0, start, kPreview.size()), kPostScript, kPreview});
  const auto stripped = trm::StripDosEps(file);
  ASSERT_TRUE(stripped.has_value());
  EXPECT_EQ(*stripped, kPostScript);
}

TEST(StripDosEps, WmfPreviewRightAfterHeader) {
  const auto length = static_cast<std::uint32_t>(kPreview.size());
  const Bytes file = Concat({Header(30, length, 0, 0), kPreview, kPostScript});
  const auto stripped = trm::StripDosEps(file);
  ASSERT_TRUE(stripped.has_value());
  EXPECT_EQ(*stripped, kPostScript);
}

TEST(StripDosEps, PreviewInTheMiddle) {
  const Bytes first = Text("%!PS first half\n");
  const Bytes second = Text("second half\n");
  const Bytes file =
      Concat({Header(0, 0, 30 + first.size(), kPreview.size()), first, kPreview, second});
  const auto stripped = trm::StripDosEps(file);
  ASSERT_TRUE(stripped.has_value());
  EXPECT_EQ(*stripped, Concat({first, second}));
  EXPECT_EQ(stripped->size(), file.size() - 30 - kPreview.size());
}

TEST(StripDosEps, WmfChosenOverTiff) {
  // Both previews set: the WMF one is removed, the TIFF bytes stay.
  const Bytes tiff = Text("TIFFDATA");
  const Bytes file =
      Concat({Header(30, kPreview.size(), 30 + kPreview.size() + kPostScript.size(), tiff.size()),
              kPreview, kPostScript, tiff});
  const auto stripped = trm::StripDosEps(file);
  ASSERT_TRUE(stripped.has_value());
  EXPECT_EQ(*stripped, Concat({kPostScript, tiff}));
}

TEST(StripDosEps, NoPreview) {
  const Bytes file = Concat({Header(0, 0, 0, 0), kPostScript});
  const auto stripped = trm::StripDosEps(file);
  ASSERT_TRUE(stripped.has_value());
  EXPECT_EQ(*stripped, kPostScript);

  const auto headerOnly = trm::StripDosEps(Header(0, 0, 0, 0));
  ASSERT_TRUE(headerOnly.has_value());
  EXPECT_TRUE(headerOnly->empty());
}

TEST(StripDosEps, PreviewOfLengthZero) {
  const Bytes file = Concat({Header(0, 0, 40, 0), kPostScript});
  const auto stripped = trm::StripDosEps(file);
  ASSERT_TRUE(stripped.has_value());
  EXPECT_EQ(*stripped, kPostScript);
}

TEST(StripDosEps, HeaderPointingOutsideIsNotDosEps) {
  const std::size_t size = 30 + kPostScript.size() + kPreview.size();
  const auto start = static_cast<std::uint32_t>(30 + kPostScript.size());
  const auto length = static_cast<std::uint32_t>(kPreview.size());
  // One byte too long, start past the end, start inside the header, 32-bit wrap-around.
  for (const Bytes& header :
       {Header(0, 0, start, length + 1), Header(0, 0, static_cast<std::uint32_t>(size) + 1, 0),
        Header(start, length + 1, 0, 0), Header(0, 0, 10, 4), Header(29, 1, 0, 0),
        Header(0, 0, 0xFFFFFFF0u, 0x20), Header(0, 0, start, 0xFFFFFFFFu)}) {
    const Bytes file = Concat({header, kPostScript, kPreview});
    ASSERT_EQ(file.size(), size);
    EXPECT_FALSE(trm::StripDosEps(file).has_value());
  }
  // The exact fit is still accepted.
  EXPECT_TRUE(trm::StripDosEps(Concat({Header(0, 0, start, length), kPostScript, kPreview})));
}

TEST(StripDosEps, OtherDataIsNotDosEps) {
  EXPECT_FALSE(trm::StripDosEps(kPostScript).has_value());
  EXPECT_FALSE(trm::StripDosEps(Bytes{}).has_value());
  Bytes shortFile = Header(0, 0, 0, 0);
  shortFile.pop_back();  // 29 bytes
  EXPECT_FALSE(trm::StripDosEps(shortFile).has_value());
  Bytes wrongMagic = Concat({Header(0, 0, 0, 0), kPostScript});
  wrongMagic[3] = 0xC7;
  EXPECT_FALSE(trm::StripDosEps(wrongMagic).has_value());
  // The magic read the other way round (big-endian) is not it either.
  Bytes swapped = Concat({Header(0, 0, 0, 0), kPostScript});
  std::reverse(swapped.begin(), swapped.begin() + 4);
  EXPECT_FALSE(trm::StripDosEps(swapped).has_value());
}

}  // namespace
