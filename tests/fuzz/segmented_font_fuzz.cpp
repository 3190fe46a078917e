// Input: a segmented binary font (or anything). Unwrapping must stay inside the data and keep
// every segment's bytes in order; the font name search then runs on the result.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "fonts/font_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<unsigned char> input(data, data + size);  // exact-size heap copy for ASan
  const std::vector<unsigned char> plain = trm::UnwrapSegmentedFont(input);
  if (plain.size() > size) std::abort();

  // Walk the segments again and compare what each one contributed.
  std::size_t pos = 0;
  std::size_t out = 0;
  while (size - pos >= 6 && data[pos] == 0x80 && (data[pos + 1] == 1 || data[pos + 1] == 2)) {
    std::uint32_t length;
    length = data[pos + 2] | (data[pos + 3] << 8) | (data[pos + 4] << 16) |
             (static_cast<std::uint32_t>(data[pos + 5]) << 24);
    pos += 6;
    if (length > size - pos) break;
    if (out + length > plain.size() || std::memcmp(plain.data() + out, data + pos, length) != 0) {
      std::abort();
    }
    out += length;
    pos += length;
  }
  if (out != plain.size()) std::abort();
  (void)trm::IsSegmentedFont(input);
  (void)trm::FindFontName(plain);
  return 0;
}
