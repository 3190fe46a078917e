#pragma once
// Internal to the platform library.

namespace platform::detail {

// Restarts the sequence of random parts of temporary names from a seed.
void SeedTempNames(unsigned seed);

}  // namespace platform::detail
