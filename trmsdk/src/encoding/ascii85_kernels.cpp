#include "encoding/ascii85_kernels.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#if defined(__clang__)
#include <immintrin.h>
#else
// GCC 12 warns about the deliberately undefined vectors inside its own AVX-512 helpers.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop
#endif
#define KM_ASCII85_SIMD 1
#else
#define KM_ASCII85_SIMD 0
#endif

#include <array>
#include <cstring>

namespace trm {
namespace {

constexpr std::uint32_t k85Squared = 85 * 85;

// Two base-85 digits for every value below 85 * 85, so a group needs only two divisions.
struct DigitPairs {
  std::array<char, 2 * k85Squared> chars{};
  constexpr DigitPairs() {
    for (std::uint32_t v = 0; v < k85Squared; ++v) {
      chars[2 * v] = static_cast<char>('!' + v / 85);
      chars[2 * v + 1] = static_cast<char>('!' + v % 85);
    }
  }
};
constexpr DigitPairs kPairs;

inline std::uint32_t LoadBigEndian(const unsigned char* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
         std::uint32_t{p[3]};
}

}  // namespace

void WriteAscii85Digits(std::uint32_t v, char* out) {
  const std::uint32_t high = v / k85Squared;  // d0 d1 d2
  const std::uint32_t low = v - high * k85Squared;
  const std::uint32_t top = high / k85Squared;  // d0, below 85
  const std::uint32_t middle = high - top * k85Squared;
  out[0] = static_cast<char>('!' + top);
  std::memcpy(out + 1, &kPairs.chars[2 * middle], 2);
  std::memcpy(out + 3, &kPairs.chars[2 * low], 2);
}

namespace {

char* EncodeGroupsScalar(const unsigned char* src, std::size_t groups, char* out) {
  for (std::size_t i = 0; i < groups; ++i, src += 4) {
    const std::uint32_t v = LoadBigEndian(src);
    if (v == 0) {
      *out++ = 'z';
    } else {
      WriteAscii85Digits(v, out);
      out += 5;
    }
  }
  return out;
}

#if KM_ASCII85_SIMD
// v / 7225 in every 32-bit lane: (v * 2434904643) >> 44 is exact for all 32-bit v.
__attribute__((target("avx2"))) inline __m256i Divide7225(__m256i v) {
  const __m256i magic = _mm256_set1_epi32(static_cast<int>(2434904643u));
  const __m256i even = _mm256_srli_epi64(_mm256_mul_epu32(v, magic), 44);
  const __m256i odd = _mm256_mul_epu32(_mm256_srli_epi64(v, 32), magic);
  return _mm256_blend_epi32(even, _mm256_slli_epi64(_mm256_srli_epi64(odd, 44), 32), 0xAA);
}

// Eight groups per step when none of them is zero. Each step stores 16 bytes at offsets 0, 10,
// 20 and 30 of its 40 characters, so it needs 6 bytes of the run's own output after it: the
// loop stops while at least 6 groups remain, and those are written exactly.
__attribute__((target("avx2"))) char* EncodeGroupsAvx2(const unsigned char* src, std::size_t groups,
                                                       char* out) {
  const __m256i byteSwap = _mm256_setr_epi8(3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12, 3,
                                            2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12);
  // From [four digits, fifth digit] pairs of two groups to their ten characters.
  const __m256i compact = _mm256_setr_epi8(0, 1, 2, 3, 4, 8, 9, 10, 11, 12, -1, -1, -1, -1, -1, -1,
                                           0, 1, 2, 3, 4, 8, 9, 10, 11, 12, -1, -1, -1, -1, -1, -1);
  const __m256i square = _mm256_set1_epi32(7225);
  const __m256i base = _mm256_set1_epi32(85);
  const __m256i reciprocal = _mm256_set1_epi32(49345);  // r / 85 == (r * 49345) >> 22, r < 7225
  const __m256i bang = _mm256_set1_epi8('!');
  std::size_t i = 0;
  for (; i + 8 + 6 <= groups; i += 8, src += 32) {
    const __m256i v =
        _mm256_shuffle_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(src)), byteSwap);
    if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(v, _mm256_setzero_si256())) != 0) {
      out = EncodeGroupsScalar(src, 8, out);
      continue;
    }
    const __m256i high = Divide7225(v);
    const __m256i low = _mm256_sub_epi32(v, _mm256_mullo_epi32(high, square));
    const __m256i d0 = Divide7225(high);
    const __m256i middle = _mm256_sub_epi32(high, _mm256_mullo_epi32(d0, square));
    const __m256i d1 = _mm256_srli_epi32(_mm256_mullo_epi32(middle, reciprocal), 22);
    const __m256i d2 = _mm256_sub_epi32(middle, _mm256_mullo_epi32(d1, base));
    const __m256i d3 = _mm256_srli_epi32(_mm256_mullo_epi32(low, reciprocal), 22);
    const __m256i d4 = _mm256_sub_epi32(low, _mm256_mullo_epi32(d3, base));
    const __m256i four =
        _mm256_or_si256(_mm256_or_si256(d0, _mm256_slli_epi32(d1, 8)),
                        _mm256_or_si256(_mm256_slli_epi32(d2, 16), _mm256_slli_epi32(d3, 24)));
    // Per 128-bit half: groups 0 and 1 of the half, then groups 2 and 3.
    const __m256i first =
        _mm256_add_epi8(_mm256_shuffle_epi8(_mm256_unpacklo_epi32(four, d4), compact), bang);
    const __m256i second =
        _mm256_add_epi8(_mm256_shuffle_epi8(_mm256_unpackhi_epi32(four, d4), compact), bang);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm256_castsi256_si128(first));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 10), _mm256_castsi256_si128(second));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 20), _mm256_extracti128_si256(first, 1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 30), _mm256_extracti128_si256(second, 1));
    out += 40;
  }
  return EncodeGroupsScalar(src, groups - i, out);
}

// Sixteen groups per step when none of them is zero (sixteen zero groups are sixteen "z"). The
// 80 characters are gathered from the digit lanes by byte permutations and stored exactly.
struct Avx512Gather {
  alignas(64) std::array<unsigned char, 128> index{};
  constexpr Avx512Gather() {
    // Character j of a step is digit j % 5 of group j / 5: digits 0 to 3 sit in the group's
    // lane of the first table, digit 4 in the low byte of its lane of the second (64 and up).
    for (std::size_t j = 0; j < 80; ++j) {
      const std::size_t group = j / 5;
      const std::size_t digit = j % 5;
      index[j] = static_cast<unsigned char>(digit < 4 ? 4 * group + digit : 64 + 4 * group);
    }
  }
};
constexpr Avx512Gather kGather;

#define KM_AVX512_TARGET __attribute__((target("avx512f,avx512bw,avx512vbmi")))

// v / 7225 in every 32-bit lane, as the AVX2 Divide7225 above does it.
KM_AVX512_TARGET inline __m512i Divide7225(__m512i v) {
  const __m512i magic = _mm512_set1_epi32(static_cast<int>(2434904643u));
  const __m512i even = _mm512_srli_epi64(_mm512_mul_epu32(v, magic), 44);
  const __m512i odd = _mm512_srli_epi64(_mm512_mul_epu32(_mm512_srli_epi64(v, 32), magic), 44);
  return _mm512_or_si512(even, _mm512_slli_epi64(odd, 32));
}

KM_AVX512_TARGET char* EncodeGroupsAvx512(const unsigned char* src, std::size_t groups, char* out) {
  const __m512i byteSwap =
      _mm512_broadcast_i32x4(_mm_setr_epi8(3, 2, 1, 0, 7, 6, 5, 4, 11, 10, 9, 8, 15, 14, 13, 12));
  const __m512i gatherLow = _mm512_load_si512(kGather.index.data());
  const __m512i gatherHigh = _mm512_load_si512(kGather.index.data() + 64);
  const __m512i square = _mm512_set1_epi32(7225);
  const __m512i base = _mm512_set1_epi32(85);
  const __m512i reciprocal = _mm512_set1_epi32(49345);  // r / 85 == (r * 49345) >> 22, r < 7225
  const __m512i bang = _mm512_set1_epi8('!');
  std::size_t i = 0;
  for (; i + 16 <= groups; i += 16, src += 64) {
    const __m512i v = _mm512_shuffle_epi8(_mm512_loadu_si512(src), byteSwap);
    const __mmask16 zeros = _mm512_cmpeq_epi32_mask(v, _mm512_setzero_si512());
    if (zeros != 0) {
      if (zeros == 0xFFFF) {
        std::memset(out, 'z', 16);
        out += 16;
      } else {
        out = EncodeGroupsScalar(src, 16, out);
      }
      continue;
    }
    const __m512i high = Divide7225(v);
    const __m512i low = _mm512_sub_epi32(v, _mm512_mullo_epi32(high, square));
    const __m512i d0 = Divide7225(high);
    const __m512i middle = _mm512_sub_epi32(high, _mm512_mullo_epi32(d0, square));
    const __m512i d1 = _mm512_srli_epi32(_mm512_mullo_epi32(middle, reciprocal), 22);
    const __m512i d2 = _mm512_sub_epi32(middle, _mm512_mullo_epi32(d1, base));
    const __m512i d3 = _mm512_srli_epi32(_mm512_mullo_epi32(low, reciprocal), 22);
    const __m512i d4 = _mm512_sub_epi32(low, _mm512_mullo_epi32(d3, base));
    const __m512i four =
        _mm512_or_si512(_mm512_or_si512(d0, _mm512_slli_epi32(d1, 8)),
                        _mm512_or_si512(_mm512_slli_epi32(d2, 16), _mm512_slli_epi32(d3, 24)));
    const __m512i first = _mm512_add_epi8(_mm512_permutex2var_epi8(four, gatherLow, d4), bang);
    const __m512i second = _mm512_add_epi8(_mm512_permutex2var_epi8(four, gatherHigh, d4), bang);
    _mm512_storeu_si512(out, first);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 64), _mm512_castsi512_si128(second));
    out += 80;
  }
  return EncodeGroupsAvx2(src, groups - i, out);
}
#endif

}  // namespace

char* EncodeAscii85Groups(Ascii85Kernel kernel, const unsigned char* src, std::size_t groups,
                          char* out) {
#if KM_ASCII85_SIMD
  if (kernel == Ascii85Kernel::kAvx512) return EncodeGroupsAvx512(src, groups, out);
  if (kernel == Ascii85Kernel::kAvx2) return EncodeGroupsAvx2(src, groups, out);
#endif
  (void)kernel;
  return EncodeGroupsScalar(src, groups, out);
}

std::size_t CountZeroGroups(const unsigned char* src, std::size_t groups) {
  std::size_t zeros = 0;
  for (std::size_t i = 0; i < groups; ++i, src += 4) {
    std::uint32_t v;
    std::memcpy(&v, src, 4);
    zeros += v == 0 ? 1 : 0;
  }
  return zeros;
}

}  // namespace trm
