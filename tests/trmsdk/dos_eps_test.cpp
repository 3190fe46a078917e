#include "encoding/dos_eps.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Text(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

// A 30-byte DOS EPS header with the given preview fields; the PostScript fields are filled in
// although nothing reads them.
Bytes Header(std::size_t wmfStart, std::size_t wmfLength, std::size_t tiffStart,
             std::size_t tiffLength) {
  Bytes header(30, 0);
  auto put = [&](std::size_t offset, std::size_t value) {
    for (int i = 0; i < 4; ++i) header[offset + i] = static_cast<unsigned char>(value >> (8 * i));
  };
  put(0, 0xC6D3D0C5u);
  put(4, 30);
  put(8, 1234);
  put(12, wmfStart);
  put(16, wmfLength);
  put(20, tiffStart);
  put(24, tiffLength);
  header[28] = header[29] = 0xFF;  // checksum "none"
  return header;
}

TEST(StripDosEps, KeepsThePostScriptOfEveryLayout) {
  const Bytes ps = Text("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\nshowpage\n");
  const Bytes preview = {0x49, 0x49, 0x2A, 0x00, 0x08, 0x00, 0x00, 0x00, 0x00, 0x0A, 0xFF};
  const Bytes first = Text("%!PS first half\n");
  const Bytes second = Text("second half\n");
  const Bytes tiff = Text("TIFFDATA");
  const std::size_t p = preview.size();
  const std::size_t end = 30 + ps.size();  // where a preview after the PostScript starts
  struct Case {
    const char* what;
    Bytes file;
    std::optional<Bytes> expected;
  };
  Bytes wrongMagic = Concat({Header(0, 0, 0, 0), ps});
  wrongMagic[3] = 0xC7;
  Bytes shortHeader = Header(0, 0, 0, 0);
  shortHeader.pop_back();
  const Case cases[] = {
      {"TIFF preview at the end", Concat({Header(0, 0, end, p), ps, preview}), ps},
      {"preview in the middle",
       Concat({Header(0, 0, 30 + first.size(), p), first, preview, second}),
       Concat({first, second})},
      {"WMF chosen over TIFF", Concat({Header(30, p, 30 + p + ps.size(), 8), preview, ps, tiff}),
       Concat({ps, tiff})},
      {"no preview", Concat({Header(0, 0, 0, 0), ps}), ps},
      {"header only", Header(0, 0, 0, 0), Bytes{}},
      {"preview of length zero", Concat({Header(0, 0, 40, 0), ps}), ps},
      // Headers pointing outside the data.
      {"one byte too long", Concat({Header(0, 0, end, p + 1), ps, preview}), std::nullopt},
      {"WMF one byte too long", Concat({Header(end, p + 1, 0, 0), ps, preview}), std::nullopt},
      {"start inside the header", Concat({Header(0, 0, 10, 4), ps, preview}), std::nullopt},
      {"WMF inside the header", Concat({Header(29, 1, 0, 0), ps, preview}), std::nullopt},
      {"start wraps around", Concat({Header(0, 0, 0xFFFFFFF0u, 0x20), ps, preview}), std::nullopt},
      {"length wraps around", Concat({Header(0, 0, end, 0xFFFFFFFFu), ps, preview}), std::nullopt},
      // Not DOS EPS at all.
      {"plain PostScript", ps, std::nullopt},
      {"29 bytes", shortHeader, std::nullopt},
      {"wrong magic", wrongMagic, std::nullopt},
  };
  for (const Case& one : cases) EXPECT_EQ(trm::StripDosEps(one.file), one.expected) << one.what;
}

}  // namespace
