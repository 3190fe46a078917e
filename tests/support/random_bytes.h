#pragma once
// Reproducible bytes of every value, so that any change of data on its way shows.

#include <cstddef>
#include <random>
#include <string>

namespace km_test {

inline std::string RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 generator(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(generator() & 0xFF);
  return bytes;
}

}  // namespace km_test
