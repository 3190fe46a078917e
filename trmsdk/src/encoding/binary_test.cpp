#include "encoding/binary_test.h"

#include <algorithm>

namespace trm {

bool IsBinaryData(std::span<const unsigned char> data) {
  // Read as signed bytes: below 8 (which takes in 128-255) or 14 to 31.
  return std::any_of(data.begin(), data.end(),
                     [](unsigned char c) { return c < 8 || (c >= 14 && c <= 31) || c >= 128; });
}

}  // namespace trm
