#include "fonts/font_file.h"

#include <cstdint>
#include <string_view>

namespace trm {
namespace {

constexpr unsigned char kSegmentMarker = 0x80;
constexpr unsigned char kTextSegment = 1;
constexpr unsigned char kBinarySegment = 2;
constexpr std::size_t kSegmentHeaderSize = 6;

bool IsLineEnd(unsigned char c) {
  return c == '\r' || c == '\n';
}
bool IsTokenEnd(unsigned char c) {
  return c == ' ' || c == '\t' || c == '/' || IsLineEnd(c);
}

// Splits one line into its tokens, front to back; a token never contains a line end.
class LineTokens {
 public:
  LineTokens(const unsigned char* begin, const unsigned char* end) : pos_(begin), end_(end) {}

  // The next token of the line, or an empty view at its end.
  std::string_view Next() {
    while (pos_ < end_ && IsTokenEnd(*pos_)) ++pos_;
    const unsigned char* start = pos_;
    while (pos_ < end_ && !IsTokenEnd(*pos_)) ++pos_;
    return {reinterpret_cast<const char*>(start), static_cast<std::size_t>(pos_ - start)};
  }

 private:
  const unsigned char* pos_;
  const unsigned char* end_;
};

}  // namespace

bool IsSegmentedFont(std::span<const unsigned char> data) {
  return data.size() >= 2 && data[0] == kSegmentMarker &&
         (data[1] == kTextSegment || data[1] == kBinarySegment);
}

std::vector<unsigned char> UnwrapSegmentedFont(std::span<const unsigned char> data) {
  std::vector<unsigned char> result;
  std::size_t pos = 0;
  while (data.size() - pos >= kSegmentHeaderSize && data[pos] == kSegmentMarker) {
    const unsigned char type = data[pos + 1];
    if (type != kTextSegment && type != kBinarySegment) break;  // end of file, or unknown
    const std::size_t length = std::uint32_t{data[pos + 2]} | (std::uint32_t{data[pos + 3]} << 8) |
                               (std::uint32_t{data[pos + 4]} << 16) |
                               (std::uint32_t{data[pos + 5]} << 24);
    pos += kSegmentHeaderSize;
    if (length > data.size() - pos) break;
    result.insert(result.end(), data.begin() + pos, data.begin() + pos + length);
    pos += length;
  }
  return result;
}

std::optional<std::string> FindFontName(std::span<const unsigned char> fontText) {
  const unsigned char* pos = fontText.data();
  const unsigned char* const end = pos + fontText.size();
  while (pos < end) {
    const unsigned char* lineEnd = pos;
    while (lineEnd < end && !IsLineEnd(*lineEnd)) ++lineEnd;
    LineTokens tokens(pos, lineEnd);
    for (std::string_view token = tokens.Next(); !token.empty(); token = tokens.Next()) {
      if (token.front() == '%') break;
      if (token == "FontName") {
        const std::string_view name = tokens.Next();
        // A comment right after the key is no name either.
        if (name.empty() || name.front() == '%') return std::nullopt;
        return std::string(name);
      }
    }
    pos = lineEnd < end ? lineEnd + 1 : end;
  }
  return std::nullopt;
}

}  // namespace trm
