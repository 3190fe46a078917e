#pragma once
// Naive one-group-at-a-time renderings of the ASCII85 and hex layouts, written from the layout
// rules and not from the encoders: the oracle of both the unit tests and the fuzz target.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace encoding_reference {

using Bytes = std::vector<unsigned char>;

// The first `characters` of a group's five digits, most significant first; "z" for zero.
inline std::string Group(const Bytes& data, std::size_t pos, std::size_t characters = 5) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) v = v << 8 | (pos + i < data.size() ? data[pos + i] : 0);
  std::string five(5, ' ');
  for (int i = 4; i >= 0; --i, v /= 85) five[i] = static_cast<char>('!' + v % 85);
  return characters == 5 && five == "!!!!!" ? "z" : five.substr(0, characters);
}

inline std::string Ascii85(const Bytes& data, std::size_t blockBytes, std::size_t lineBytes) {
  const std::size_t perLine = std::max<std::size_t>(
      lineBytes > 0 ? lineBytes / 4 : (blockBytes > 0 ? blockBytes / 4 : 20), 1);
  const std::size_t linesPerBlock =
      std::max<std::size_t>(lineBytes > 0 ? blockBytes / lineBytes : 1, 1);
  const bool blocks = blockBytes > 0;
  std::string out = blocks ? "<~" : "";
  bool justClosed = false;
  std::size_t groups = 0;
  for (std::size_t pos = 0; pos < data.size(); pos += 4) {
    if (justClosed) out += "<~";
    justClosed = false;
    const std::size_t characters = std::min<std::size_t>(data.size() - pos, 4) + 1;
    out += Group(data, pos, characters);
    if (characters < 5 || ++groups % perLine != 0) continue;
    justClosed = blocks && (groups / perLine) % linesPerBlock == 0;
    out += justClosed ? "~>\n" : "\n";
  }
  if (!justClosed) out += "~>\n";
  return out;
}

// Byte by byte, with the separators checked after every byte.
inline std::string Hex(const Bytes& data, std::size_t blockBytes, std::size_t lineBytes) {
  std::string out = blockBytes > 0 ? "<" : "";
  for (std::size_t i = 0; i < data.size(); ++i) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%.2X", data[i]);
    out += digits;
    const std::size_t count = i + 1;
    if (count == data.size()) break;
    if (blockBytes > 0 && count % blockBytes == 0) out += ">\n<";
    if (lineBytes > 0 && count % lineBytes == 0) out += "\n";
  }
  if (blockBytes > 0) out += ">";
  return out;
}

}  // namespace encoding_reference
