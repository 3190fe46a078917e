#pragma once
#include <cstddef>
#include <span>
#include <string>

namespace trm {

// Two upper-case digits per byte; blockBytes > 0 gives "<...>" strings joined by ">\n<",
// lineBytes > 0 an LF after every that many bytes except after the last.
std::string EncodeHex(std::span<const unsigned char> data, std::size_t blockBytes,
                      std::size_t lineBytes);

// The same into an existing text, whose storage is reused: for encoding piece after piece.
void EncodeHexInto(std::span<const unsigned char> data, std::size_t blockBytes,
                   std::size_t lineBytes, std::string& text);

}  // namespace trm
