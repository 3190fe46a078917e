#pragma once
// Reproducible bytes of every value, so that any change of data on its way shows.

#include <cstddef>
#include <string>

namespace km_test {

std::string RandomBytes(std::size_t size, unsigned seed);

}  // namespace km_test
