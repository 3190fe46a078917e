#include "encoding/hex_kernels.h"

#include <array>
#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define KM_HEX_SIMD 1
#else
#define KM_HEX_SIMD 0
#endif

namespace trm {
namespace {

struct DigitTable {
  std::array<char, 512> chars{};
  constexpr DigitTable() {
    constexpr char kDigits[] = "0123456789ABCDEF";
    for (int v = 0; v < 256; ++v) {
      chars[2 * v] = kDigits[v >> 4];
      chars[2 * v + 1] = kDigits[v & 15];
    }
  }
};
constexpr DigitTable kTable;

char* EncodeScalar(const unsigned char* src, std::size_t count, char* out) {
  for (std::size_t i = 0; i < count; ++i, out += 2) {
    std::memcpy(out, &kTable.chars[2 * src[i]], 2);
  }
  return out;
}

#if KM_HEX_SIMD
// Thirty-two bytes per step: each nibble picks its digit by a byte shuffle.
__attribute__((target("avx2"))) char* EncodeAvx2(const unsigned char* src, std::size_t count,
                                                 char* out) {
  const __m256i digits = _mm256_broadcastsi128_si256(_mm_setr_epi8(
      '0', '1', '2', '3', '4', '5', '6', '7', '8', '9', 'A', 'B', 'C', 'D', 'E', 'F'));
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  std::size_t i = 0;
  for (; i + 32 <= count; i += 32, out += 64) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + i));
    const __m256i high =
        _mm256_shuffle_epi8(digits, _mm256_and_si256(_mm256_srli_epi16(v, 4), nibble));
    const __m256i low = _mm256_shuffle_epi8(digits, _mm256_and_si256(v, nibble));
    // Per 128-bit half: bytes 0-7 of the half, then bytes 8-15.
    const __m256i first = _mm256_unpacklo_epi8(high, low);
    const __m256i second = _mm256_unpackhi_epi8(high, low);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out),
                        _mm256_permute2x128_si256(first, second, 0x20));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 32),
                        _mm256_permute2x128_si256(first, second, 0x31));
  }
  return EncodeScalar(src + i, count - i, out);
}
#endif

}  // namespace

char* EncodeHexDigits(HexKernel kernel, const unsigned char* src, std::size_t count, char* out) {
#if KM_HEX_SIMD
  if (kernel == HexKernel::kAvx2) return EncodeAvx2(src, count, out);
#endif
  (void)kernel;
  return EncodeScalar(src, count, out);
}

}  // namespace trm
