// Recognising what a file holds: binary data, DOS EPS wrappers and segmented Type 1 fonts.

#include "encoding/binary_test.h"
#include "encoding/dos_eps.h"
#include "fonts/font_file.h"
#include "generator_fixture.h"

namespace trm_test {
namespace {

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST(IsBinaryData, EachByteValueInText) {
  // Text: BS, TAB, LF, VT, FF, CR and 32 to 127 (DEL included).
  for (int c = 0; c < 256; ++c) {
    Bytes data = Text("%!PS\nshow\n");
    data.insert(data.begin() + 5, static_cast<unsigned char>(c));
    EXPECT_EQ(trm::IsBinaryData(data), !((c >= 8 && c <= 13) || (c >= 32 && c <= 127))) << c;
  }
  EXPECT_FALSE(trm::IsBinaryData(Bytes{}));
  // Only the last byte of a long text gives it away.
  Bytes longText(100000, 'a');
  longText.back() = 0x80;
  EXPECT_TRUE(trm::IsBinaryData(longText));
}

// A 30-byte DOS EPS header with the given preview fields.
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
  Bytes wrongMagic = Concat({Header(0, 0, 0, 0), ps});
  wrongMagic[3] = 0xC7;
  Bytes shortHeader = Header(0, 0, 0, 0);
  shortHeader.pop_back();
  const std::tuple<const char*, Bytes, std::optional<Bytes>> cases[] = {
      {"TIFF preview at the end", Concat({Header(0, 0, end, p), ps, preview}), ps},
      {"preview in the middle",
       Concat({Header(0, 0, 30 + first.size(), p), first, preview, second}),
       Concat({first, second})},
      {"WMF chosen over TIFF", Concat({Header(30, p, 30 + p + ps.size(), 8), preview, ps, tiff}),
       Concat({ps, tiff})},
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
  for (const auto& [what, file, expected] : cases)
    EXPECT_EQ(trm::StripDosEps(file), expected) << what;
}

void AppendSegment(Bytes& out, unsigned char type, const Bytes& data) {
  out.insert(out.end(), {0x80, type});
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(data.size() >> (8 * i)));
  out.insert(out.end(), data.begin(), data.end());
}

TEST(FontFile, SegmentedByItsFirstTwoBytesAndUnwrappedUpToTheirEnd) {
  EXPECT_TRUE(trm::IsSegmentedFont(Bytes{0x80, 0x01}));
  for (const Bytes& other : {Bytes{0x80, 0x03}, Bytes{0x80}, Bytes{0x81, 0x01}}) {
    EXPECT_FALSE(trm::IsSegmentedFont(other)) << other.size() << " bytes";
  }
  const Bytes text = Text("/FontName /A def\n");
  const Bytes binary = {0x00, 0xFF, 0x80, 0x01, 0x0D, 0x0A};
  Bytes first;
  AppendSegment(first, 1, text);
  auto with = [&](std::initializer_list<unsigned char> tail) {
    Bytes data = first;
    data.insert(data.end(), tail);
    return data;
  };
  Bytes ended = first;
  AppendSegment(ended, 2, binary);
  ended.insert(ended.end(), {0x80, 0x03});
  AppendSegment(ended, 1, text);  // after the end: ignored
  Bytes empty;
  AppendSegment(empty, 1, {});
  AppendSegment(empty, 2, text);
  const std::pair<const char*, Bytes> stopsAfterText[] = {
      {"data simply ends", first},
      {"huge segment", with({0x80, 0x02, 0xFF, 0xFF, 0xFF, 0xFF, 'x'})},
      {"cut segment header", with({0x80, 0x02, 0x01, 0x00, 0x00})},
      {"no segment marker", with({0x7F, 0x01, 0x01, 0x00, 0x00, 0x00, 'y'})},
      {"empty first segment", empty},
  };
  for (const auto& [what, data] : stopsAfterText) {
    EXPECT_EQ(trm::UnwrapSegmentedFont(data), text) << what;
  }
  EXPECT_EQ(trm::UnwrapSegmentedFont(ended), Concat({text, binary}));
}

TEST(FontFile, NameIsTheTokenAfterTheFirstFontName) {
  const std::pair<const char*, std::optional<std::string>> cases[] = {
      {"\t/FontName\t/Foo\tdef\r\n", "Foo"},
      {"FontName Bar", "Bar"},
      {"/FontName//Baz", "Baz"},
      {"\r\r\n\n/FontName /CR-Only\rdef", "CR-Only"},
      // Case counts, and the token must be exactly FontName.
      {"/fontname /Wrong def\n/FontNames /Wrong def\n/MyFontName /Wrong\n/FontName /Right\n",
       "Right"},
      {"/FontName /First def\n/FontName /Second def\n", "First"},
      {"/FontName /Caf\xE9 def\n", "Caf\xE9"},
      // Comments end the line; "%" inside a token does not start one.
      {"/Notice (x) def %/FontName /Commented\n/FontName /Real def\n", "Real"},
      {"/FontName /A%B def\n", "A%B"},
      // The first FontName decides even when it has no name on its line.
      {"/FontName %Commented\n/FontName /Real def\n", std::nullopt},
      {"/FontName   \r\n/Foo def\n", std::nullopt},
      {"/FontName", std::nullopt},
      {"/FontName /\n/FontName /Later def\n", std::nullopt},
      {"/FullName (Nimbus Sans) readonly def\n", std::nullopt},
  };
  for (const auto& [text, name] : cases) EXPECT_EQ(trm::FindFontName(Text(text)), name) << text;
}

}  // namespace
}  // namespace trm_test
