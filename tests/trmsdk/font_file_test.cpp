#include "fonts/font_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;
namespace fs = std::filesystem;

const fs::path kFontFolder = "/usr/share/fonts/type1/urw-base35";

Bytes Text(const std::string& text) {
  return Bytes(text.begin(), text.end());
}

Bytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), {});
}

std::optional<std::string> Name(const std::string& text) {
  return trm::FindFontName(Text(text));
}

void AppendSegment(Bytes& out, unsigned char type, const Bytes& data, std::size_t from,
                   std::size_t to) {
  const auto length = static_cast<std::uint32_t>(to - from);
  out.insert(out.end(), {0x80, type});
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<unsigned char>(length >> (8 * i)));
  out.insert(out.end(), data.begin() + from, data.begin() + to);
}

// Wraps a plain Type 1 font: text up to and with "eexec" and its line end, the binary eexec
// part, the text trailer from the zeros on, and the end-of-file segment.
Bytes WrapSegmented(const Bytes& font) {
  const std::string text(font.begin(), font.end());
  std::size_t binaryStart = text.find("currentfile eexec");
  binaryStart = text.find_first_not_of("\r\n", binaryStart + 17);
  std::size_t trailerStart = text.rfind("cleartomark");
  while (trailerStart > binaryStart &&
         std::string("0\r\n").find(text[trailerStart - 1]) != std::string::npos) {
    --trailerStart;
  }
  Bytes wrapped;
  AppendSegment(wrapped, 1, font, 0, binaryStart);
  AppendSegment(wrapped, 2, font, binaryStart, trailerStart);
  AppendSegment(wrapped, 1, font, trailerStart, font.size());
  wrapped.insert(wrapped.end(), {0x80, 0x03});
  return wrapped;
}

// The font's own name, as its metrics file states it.
std::string NameFromMetrics(const fs::path& font) {
  fs::path metrics = font;
  metrics.replace_extension(".afm");
  std::ifstream in(metrics);
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("FontName ", 0) == 0) {
      line.erase(0, 9);
      while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.pop_back();
      return line;
    }
  }
  return {};
}

std::vector<fs::path> UrwFonts() {
  std::vector<fs::path> fonts;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(kFontFolder, error)) {
    if (entry.path().extension() == ".t1") fonts.push_back(entry.path());
  }
  std::sort(fonts.begin(), fonts.end());
  return fonts;
}

TEST(FindFontName, RealType1Fonts) {
  const auto fonts = UrwFonts();
  ASSERT_EQ(fonts.size(), 35u) << "fonts-urw-base35 is missing (scripts/setup installs it)";
  for (const fs::path& path : fonts) {
    const Bytes font = ReadFile(path);
    const std::string expected = NameFromMetrics(path);
    ASSERT_FALSE(expected.empty()) << path;
    EXPECT_FALSE(trm::IsSegmentedFont(font)) << path;
    EXPECT_EQ(trm::FindFontName(font), expected) << path;
  }
}

TEST(UnwrapSegmentedFont, RealFontsWrappedAndUnwrapped) {
  const auto fonts = UrwFonts();
  ASSERT_EQ(fonts.size(), 35u);
  for (const fs::path& path : fonts) {
    const Bytes font = ReadFile(path);
    const Bytes wrapped = WrapSegmented(font);
    ASSERT_EQ(wrapped.size(), font.size() + 3 * 6 + 2) << path;
    EXPECT_TRUE(trm::IsSegmentedFont(wrapped)) << path;
    const Bytes unwrapped = trm::UnwrapSegmentedFont(wrapped);
    EXPECT_TRUE(unwrapped == font) << path;
    EXPECT_EQ(trm::FindFontName(unwrapped), NameFromMetrics(path)) << path;
  }
}

TEST(IsSegmentedFont, FirstTwoBytes) {
  EXPECT_TRUE(trm::IsSegmentedFont(Bytes{0x80, 0x01}));
  EXPECT_TRUE(trm::IsSegmentedFont(Bytes{0x80, 0x02, 0, 0, 0, 0}));
  EXPECT_FALSE(trm::IsSegmentedFont(Bytes{0x80, 0x03}));
  EXPECT_FALSE(trm::IsSegmentedFont(Bytes{0x80}));
  EXPECT_FALSE(trm::IsSegmentedFont(Bytes{}));
  EXPECT_FALSE(trm::IsSegmentedFont(Bytes{0x81, 0x01}));
  EXPECT_FALSE(trm::IsSegmentedFont(Text("%!PS-AdobeFont-1.0")));
}

TEST(UnwrapSegmentedFont, StopsAtEndOfFileSegment) {
  Bytes wrapped;
  const Bytes text = Text("/FontName /A def\n");
  const Bytes binary = {0x00, 0xFF, 0x80, 0x01, 0x0D, 0x0A};
  AppendSegment(wrapped, 1, text, 0, text.size());
  AppendSegment(wrapped, 2, binary, 0, binary.size());
  wrapped.insert(wrapped.end(), {0x80, 0x03});
  AppendSegment(wrapped, 1, text, 0, text.size());  // after the end: ignored
  Bytes expected = text;
  expected.insert(expected.end(), binary.begin(), binary.end());
  EXPECT_EQ(trm::UnwrapSegmentedFont(wrapped), expected);
}

TEST(UnwrapSegmentedFont, StopsWithoutEndSegmentOrAtOverlongSegment) {
  const Bytes text = Text("abc");
  Bytes wrapped;
  AppendSegment(wrapped, 1, text, 0, 3);
  EXPECT_EQ(trm::UnwrapSegmentedFont(wrapped), text);  // the data simply ends

  Bytes overlong = wrapped;
  AppendSegment(overlong, 2, text, 0, 3);
  overlong[overlong.size() - 7] = 4;  // claims 4 bytes, 3 remain
  EXPECT_EQ(trm::UnwrapSegmentedFont(overlong), text);

  Bytes huge = wrapped;
  huge.insert(huge.end(), {0x80, 0x02, 0xFF, 0xFF, 0xFF, 0xFF, 'x'});
  EXPECT_EQ(trm::UnwrapSegmentedFont(huge), text);

  Bytes cutHeader = wrapped;
  cutHeader.insert(cutHeader.end(), {0x80, 0x02, 0x01, 0x00, 0x00});  // 5 of 6 header bytes
  EXPECT_EQ(trm::UnwrapSegmentedFont(cutHeader), text);

  Bytes noMarker = wrapped;
  noMarker.insert(noMarker.end(), {0x7F, 0x01, 0x01, 0x00, 0x00, 0x00, 'y'});
  EXPECT_EQ(trm::UnwrapSegmentedFont(noMarker), text);

  Bytes empty;
  AppendSegment(empty, 1, text, 0, 0);
  AppendSegment(empty, 2, text, 0, 3);
  EXPECT_EQ(trm::UnwrapSegmentedFont(empty), text);
}

TEST(FindFontName, Tokens) {
  EXPECT_EQ(Name("/FontName /Helvetica-Narrow def\n"), "Helvetica-Narrow");
  EXPECT_EQ(Name("/FontName /Foo def"), "Foo");
  EXPECT_EQ(Name("\t/FontName\t/Foo\tdef\r\n"), "Foo");
  EXPECT_EQ(Name("FontName Bar"), "Bar");
  EXPECT_EQ(Name("/FontName//Baz"), "Baz");
  EXPECT_EQ(Name("\r\r\n\n/FontName /CR-Only\rdef"), "CR-Only");
  // Case counts, and the token must be exactly FontName.
  EXPECT_EQ(Name("/fontname /Wrong def\n/FontName /Right def\n"), "Right");
  EXPECT_EQ(Name("/FontNames /Wrong def\n/MyFontName /Wrong def\n/FontName /Right def\n"), "Right");
  // The first FontName token wins.
  EXPECT_EQ(Name("/FontName /First def\n/FontName /Second def\n"), "First");
  // Bytes pass through unchanged.
  EXPECT_EQ(Name("/FontName /Caf\xE9 def\n"), "Caf\xE9");
}

TEST(FindFontName, TokenAtLineEndGivesNothing) {
  EXPECT_EQ(Name("/FontName\n/Foo def\n"), std::nullopt);
  EXPECT_EQ(Name("/FontName   \r\n/Foo def\n"), std::nullopt);
  EXPECT_EQ(Name("/FontName"), std::nullopt);
  // The search ends at the first FontName even when a later line would have a name.
  EXPECT_EQ(Name("/FontName /\n/FontName /Later def\n"), std::nullopt);
}

TEST(FindFontName, CommentsStopTheLine) {
  EXPECT_EQ(Name("% /FontName /Commented def\n/FontName /Real def\n"), "Real");
  EXPECT_EQ(Name("/Notice (x) def %/FontName /Commented\n/FontName /Real def\n"), "Real");
  EXPECT_EQ(Name("%!PS-AdobeFont-1.0: Foo 001\n/FontName /Real def\n"), "Real");
  EXPECT_EQ(Name("/FontName %Commented\n/FontName /Real def\n"), std::nullopt);
  // "%" inside a token does not start a comment.
  EXPECT_EQ(Name("/FontName /A%B def\n"), "A%B");
}

TEST(FindFontName, NoName) {
  EXPECT_EQ(Name(""), std::nullopt);
  EXPECT_EQ(Name("\n\n\r"), std::nullopt);
  EXPECT_EQ(Name("/FullName (Nimbus Sans) readonly def\n"), std::nullopt);
}

}  // namespace
