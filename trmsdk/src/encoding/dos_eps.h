#pragma once
#include <optional>
#include <span>
#include <vector>

namespace trm {

// The PostScript part of a DOS EPS file (header and preview removed); nothing when the data is
// not a DOS EPS file or its header points outside the data.
std::optional<std::vector<unsigned char>> StripDosEps(std::span<const unsigned char> data);

}  // namespace trm
