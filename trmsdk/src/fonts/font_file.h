#pragma once
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace trm {

// True when the data starts with a segment marker of the segmented binary font format.
bool IsSegmentedFont(std::span<const unsigned char> data);
// Concatenated segment data up to the end-of-file segment, the end of the data, or a segment
// that runs past it.
std::vector<unsigned char> UnwrapSegmentedFont(std::span<const unsigned char> data);
// The token after the first "FontName" token outside comments; nothing when absent.
std::optional<std::string> FindFontName(std::span<const unsigned char> fontText);

}  // namespace trm
