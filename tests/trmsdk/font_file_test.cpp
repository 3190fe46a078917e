#include "fonts/font_file.h"

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

void AppendSegment(Bytes& out, unsigned char type, const Bytes& data) {
  out.insert(out.end(), {0x80, type});
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(data.size() >> (8 * i)));
  out.insert(out.end(), data.begin(), data.end());
}

TEST(FontFile, SegmentedByItsFirstTwoBytes) {
  const std::pair<Bytes, bool> cases[] = {
      {{0x80, 0x01}, true},
      {{0x80, 0x03}, false},
      {{0x80}, false},
      {{0x81, 0x01}, false},
  };
  for (const auto& [data, segmented] : cases) {
    EXPECT_EQ(trm::IsSegmentedFont(data), segmented) << data.size() << " bytes";
  }
}

TEST(FontFile, UnwrapStopsAtTheEndOfTheSegments) {
  const Bytes text = Text("/FontName /A def\n");
  const Bytes binary = {0x00, 0xFF, 0x80, 0x01, 0x0D, 0x0A};
  Bytes textAndBinary = text;
  textAndBinary.insert(textAndBinary.end(), binary.begin(), binary.end());
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
  EXPECT_EQ(trm::UnwrapSegmentedFont(ended), textAndBinary);
}

TEST(FontFile, NameIsTheTokenAfterTheFirstFontName) {
  const std::pair<const char*, std::optional<std::string>> cases[] = {
      {"\t/FontName\t/Foo\tdef\r\n", "Foo"},
      {"FontName Bar", "Bar"},
      {"/FontName//Baz", "Baz"},
      {"\r\r\n\n/FontName /CR-Only\rdef", "CR-Only"},
      // Case counts, and the token must be exactly FontName.
      {"/fontname /Wrong def\n/FontName /Right def\n", "Right"},
      {"/FontNames /Wrong def\n/MyFontName /Wrong def\n/FontName /Right def\n", "Right"},
      {"/FontName /First def\n/FontName /Second def\n", "First"},
      {"/FontName /Caf\xE9 def\n", "Caf\xE9"},
      // Comments end the line; "%" inside a token does not start one.
      {"% /FontName /Commented def\n/FontName /Real def\n", "Real"},
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
