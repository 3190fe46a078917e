#include "fonts/font_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "file_io.h"

namespace {

using Bytes = std::vector<unsigned char>;
namespace fs = std::filesystem;

Bytes Text(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

void AppendSegment(Bytes& out, unsigned char type, const Bytes& data, std::size_t from,
                   std::size_t to) {
  const auto length = static_cast<std::uint32_t>(to - from);
  out.insert(out.end(), {0x80, type});
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(length >> (8 * i)));
  out.insert(out.end(), data.begin() + from, data.begin() + to);
}

// The font's own name, as its metrics file states it.
std::string NameFromMetrics(fs::path font) {
  std::istringstream metrics(km_test::ReadFile(font.replace_extension(".afm")));
  for (std::string line; std::getline(metrics, line);) {
    if (line.rfind("FontName ", 0) == 0) {
      line.erase(0, 9);
      while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
      return line;
    }
  }
  return {};
}

// A real font in the segmented format is unwrapped, stored and found in the e2e tests.
TEST(FontFile, RealType1FontsAreNamed) {
  std::vector<fs::path> fonts;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator("/usr/share/fonts/type1/urw-base35", error)) {
    if (entry.path().extension() == ".t1") fonts.push_back(entry.path());
  }
  ASSERT_EQ(fonts.size(), 35u) << "fonts-urw-base35 is missing (scripts/setup installs it)";
  for (const fs::path& path : fonts) {
    const Bytes font = Text(km_test::ReadFile(path));
    const std::string expected = NameFromMetrics(path);
    ASSERT_FALSE(expected.empty()) << path;
    EXPECT_FALSE(trm::IsSegmentedFont(font)) << path;
    EXPECT_EQ(trm::FindFontName(font), expected) << path;
  }
}

TEST(FontFile, SegmentedByItsFirstTwoBytes) {
  const std::pair<Bytes, bool> cases[] = {
      {{0x80, 0x01}, true},
      {{0x80, 0x02, 0, 0, 0, 0}, true},
      {{0x80, 0x03}, false},
      {{0x80}, false},
      {{}, false},
      {{0x81, 0x01}, false},
      {Text("%!PS-AdobeFont-1.0"), false},
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
  AppendSegment(first, 1, text, 0, text.size());
  auto with = [&](std::initializer_list<unsigned char> tail) {
    Bytes data = first;
    data.insert(data.end(), tail);
    return data;
  };
  Bytes ended = first;
  AppendSegment(ended, 2, binary, 0, binary.size());
  ended.insert(ended.end(), {0x80, 0x03});
  AppendSegment(ended, 1, text, 0, text.size());  // after the end: ignored
  Bytes overlong = first;
  AppendSegment(overlong, 2, text, 0, 3);
  overlong[overlong.size() - 7] = 4;  // claims 4 bytes, 3 remain
  Bytes empty;
  AppendSegment(empty, 1, text, 0, 0);
  AppendSegment(empty, 2, text, 0, text.size());

  const std::pair<const char*, Bytes> stopsAfterText[] = {
      {"data simply ends", first},
      {"segment runs past the end", overlong},
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
      {"/FontName /Helvetica-Narrow def\n", "Helvetica-Narrow"},
      {"/FontName /Foo def", "Foo"},
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
      {"%!PS-AdobeFont-1.0: Foo 001\n/FontName /Real def\n", "Real"},
      {"/FontName /A%B def\n", "A%B"},
      // The first FontName decides even when it has no name on its line.
      {"/FontName %Commented\n/FontName /Real def\n", std::nullopt},
      {"/FontName\n/Foo def\n", std::nullopt},
      {"/FontName   \r\n/Foo def\n", std::nullopt},
      {"/FontName", std::nullopt},
      {"/FontName /\n/FontName /Later def\n", std::nullopt},
      {"", std::nullopt},
      {"\n\n\r", std::nullopt},
      {"/FullName (Nimbus Sans) readonly def\n", std::nullopt},
  };
  for (const auto& [text, name] : cases) EXPECT_EQ(trm::FindFontName(Text(text)), name) << text;
}

}  // namespace
