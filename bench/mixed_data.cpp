#include "mixed_data.h"

#include <algorithm>
#include <cstring>

#include "bench_random.h"

namespace bench {
namespace {

constexpr char kText[] =
    "/Helvetica findfont 12 scalefont setfont 72 720 moveto (Invoice 2026-0042) show\n"
    "newpath 72 700 moveto 540 700 lineto stroke 0.5 setgray gsave grestore showpage\n";

}  // namespace

std::vector<unsigned char> MakeMixedData(std::size_t size, std::uint64_t seed) {
  std::vector<unsigned char> data(size);
  Random random(seed);
  std::size_t pos = 0;
  while (pos < size) {
    const std::uint64_t pick = random.Next();
    // Stretches of 1 to 64 KiB; 60 % random, 20 % text, 10 % zeros, 10 % small values.
    const std::size_t length = std::min<std::size_t>(size - pos, 1 + (pick >> 40) % 65536);
    unsigned char* out = data.data() + pos;
    switch (pick % 10) {
      case 0:
        std::memset(out, 0, length);
        break;
      case 1:
        for (std::size_t i = 0; i < length; ++i)
          out[i] = random.Next() % 8 == 0 ? 0 : (random.Next() & 15);
        break;
      case 2:
      case 3:
        for (std::size_t i = 0; i < length; ++i) out[i] = kText[(pos + i) % (sizeof kText - 1)];
        break;
      default:
        for (std::size_t i = 0; i < length; i += 8) {
          const std::uint64_t value = random.Next();
          std::memcpy(out + i, &value, std::min<std::size_t>(8, length - i));
        }
        break;
    }
    pos += length;
  }
  return data;
}

}  // namespace bench
