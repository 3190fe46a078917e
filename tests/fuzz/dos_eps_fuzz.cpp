// Input: a file that may be a DOS EPS file. The strip must never read outside the data, and a
// result must be the data less the header and exactly the preview.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "encoding/dos_eps.h"

namespace {

std::uint32_t Field(const std::uint8_t* data, std::size_t offset) {
  return data[offset] | (data[offset + 1] << 8) | (data[offset + 2] << 16) |
         (static_cast<std::uint32_t>(data[offset + 3]) << 24);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<unsigned char> input(data, data + size);
  const auto stripped = trm::StripDosEps(input);
  const bool magic = size >= 30 && Field(data, 0) == 0xC6D3D0C5u;
  if (!magic && stripped) std::abort();
  if (!stripped) return 0;
  const std::uint32_t start = Field(data, 12) != 0 ? Field(data, 12) : Field(data, 20);
  const std::uint32_t length = Field(data, 12) != 0 ? Field(data, 16) : Field(data, 24);
  const std::size_t removed = start == 0 ? 0 : length;
  if (stripped->size() != size - 30 - removed) std::abort();
  // The bytes around the preview stay, in order.
  const std::size_t before = start == 0 ? size - 30 : start - 30;
  if (!std::equal(data + 30, data + 30 + before, stripped->begin()) ||
      !std::equal(data + 30 + before + removed, data + size, stripped->begin() + before)) {
    std::abort();
  }
  return 0;
}
