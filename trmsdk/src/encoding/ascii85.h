#pragma once
#include <cstddef>
#include <span>
#include <string>

namespace trm {

// ASCII85 as PostScript's ASCII85Decode reads it. blockBytes > 0 wraps every block of that many
// source bytes in "<~" ... "~>" strings; lineBytes > 0 ends a line after that many source bytes.
std::string EncodeAscii85(std::span<const unsigned char> data, std::size_t blockBytes,
                          std::size_t lineBytes);

// The same into an existing text, whose storage is reused: for encoding piece after piece.
void EncodeAscii85Into(std::span<const unsigned char> data, std::size_t blockBytes,
                       std::size_t lineBytes, std::string& text);

}  // namespace trm
