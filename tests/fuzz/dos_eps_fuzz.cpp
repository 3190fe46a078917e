// Input: a file that may be a DOS EPS file. The strip must never read outside the data, and a
// result must be the data less the header and exactly the preview.
#include <algorithm>

#include "encoding/dos_eps.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<unsigned char> input(data, data + size);
  const auto stripped = trm::StripDosEps(input);
  const auto field = [data](std::size_t at) { return fuzz::LittleEndian32(data + at); };
  const bool magic = size >= 30 && field(0) == 0xC6D3D0C5u;
  fuzz::Check(magic || !stripped);
  if (!stripped) return 0;
  const std::uint32_t start = field(12) != 0 ? field(12) : field(20);
  const std::uint32_t length = field(12) != 0 ? field(16) : field(24);
  const std::size_t removed = start == 0 ? 0 : length;
  fuzz::Check(stripped->size() == size - 30 - removed);
  // The bytes around the preview stay, in order.
  const std::size_t before = start == 0 ? size - 30 : start - 30;
  fuzz::Check(std::equal(data + 30, data + 30 + before, stripped->begin()) &&
              std::equal(data + 30 + before + removed, data + size, stripped->begin() + before));
  return 0;
}
