#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

namespace bench {

// Deterministic data shaped like what print shops load: stretches of compressed (random) bytes,
// PostScript-like text, runs of zero bytes and small integers, as in images and fonts.
std::vector<unsigned char> MakeMixedData(std::size_t size, std::uint64_t seed = 1);

}  // namespace bench
