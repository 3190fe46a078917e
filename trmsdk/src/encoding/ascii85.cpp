#include "encoding/ascii85.h"

#include "encoding/parallel_text.h"

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

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

namespace trm {
namespace {

constexpr std::uint32_t k85Squared = 85 * 85;
// Work is cut into chunks of whole lines of about this many source bytes; the cut points depend
// only on the layout, never on the number of cores.
constexpr std::size_t kChunkBytes = std::size_t{256} << 10;

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

struct Layout {
  std::size_t groupsPerLine;
  std::size_t linesPerBlock;
  bool blocks;
};

Layout MakeLayout(std::size_t blockBytes, std::size_t lineBytes) {
  Layout layout{};
  layout.groupsPerLine = lineBytes > 0 ? lineBytes / 4 : (blockBytes > 0 ? blockBytes / 4 : 20);
  layout.linesPerBlock = lineBytes > 0 ? blockBytes / lineBytes : 1;
  // Lines or blocks smaller than one unit would end after every unit anyway.
  layout.groupsPerLine = std::max<std::size_t>(layout.groupsPerLine, 1);
  layout.linesPerBlock = std::max<std::size_t>(layout.linesPerBlock, 1);
  layout.blocks = blockBytes > 0;
  return layout;
}

inline std::uint32_t LoadBigEndian(const unsigned char* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
         std::uint32_t{p[3]};
}

// The five digits of a value, most significant first.
inline void WriteFiveDigits(std::uint32_t v, char* out) {
  const std::uint32_t high = v / k85Squared;  // d0 d1 d2
  const std::uint32_t low = v - high * k85Squared;
  const std::uint32_t top = high / k85Squared;  // d0, below 85
  const std::uint32_t middle = high - top * k85Squared;
  out[0] = static_cast<char>('!' + top);
  std::memcpy(out + 1, &kPairs.chars[2 * middle], 2);
  std::memcpy(out + 3, &kPairs.chars[2 * low], 2);
}

char* EncodeGroupsScalar(const unsigned char* src, std::size_t groups, char* out) {
  for (std::size_t i = 0; i < groups; ++i, src += 4) {
    const std::uint32_t v = LoadBigEndian(src);
    if (v == 0) {
      *out++ = 'z';
    } else {
      WriteFiveDigits(v, out);
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

using GroupEncoder = char* (*)(const unsigned char*, std::size_t, char*);

GroupEncoder EncoderOf(Ascii85Kernel kernel) {
#if KM_ASCII85_SIMD
  if (kernel == Ascii85Kernel::kAvx512) return EncodeGroupsAvx512;
  if (kernel == Ascii85Kernel::kAvx2) return EncodeGroupsAvx2;
#endif
  (void)kernel;
  return EncodeGroupsScalar;
}

Ascii85Kernel BestKernel() {
  static const Ascii85Kernel best =
      Ascii85KernelAvailable(Ascii85Kernel::kAvx512) ? Ascii85Kernel::kAvx512
      : Ascii85KernelAvailable(Ascii85Kernel::kAvx2) ? Ascii85Kernel::kAvx2
                                                     : Ascii85Kernel::kScalar;
  return best;
}

char* EncodeGroups(const unsigned char* src, std::size_t groups, char* out) {
  static const GroupEncoder encoder = EncoderOf(BestKernel());
  return encoder(src, groups, out);
}

std::size_t CountZeroGroupsScalar(const unsigned char* src, std::size_t groups) {
  std::size_t zeros = 0;
  for (std::size_t i = 0; i < groups; ++i, src += 4) {
    std::uint32_t v;
    std::memcpy(&v, src, 4);
    zeros += v == 0 ? 1 : 0;
  }
  return zeros;
}

#if KM_ASCII85_SIMD
__attribute__((target("avx2,popcnt"))) std::size_t CountZeroGroupsAvx2(const unsigned char* src,
                                                                       std::size_t groups) {
  std::size_t zeros = 0;
  std::size_t i = 0;
  for (; i + 8 <= groups; i += 8, src += 32) {
    const __m256i v = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src));
    const __m256i zero = _mm256_cmpeq_epi32(v, _mm256_setzero_si256());
    zeros += static_cast<std::size_t>(
        _mm_popcnt_u32(static_cast<unsigned>(_mm256_movemask_ps(_mm256_castsi256_ps(zero)))));
  }
  return zeros + CountZeroGroupsScalar(src, groups - i);
}
#endif

std::size_t CountZeroGroups(const unsigned char* src, std::size_t groups) {
#if KM_ASCII85_SIMD
  if (Ascii85KernelAvailable(Ascii85Kernel::kAvx2)) return CountZeroGroupsAvx2(src, groups);
#endif
  return CountZeroGroupsScalar(src, groups);
}

// Sizes and encodes ranges of the full groups; a range starts at a line start, so it can be
// encoded on its own. `partialFollows`: a final group of 1 to 3 bytes comes after the last full
// group (a block closed there is then followed by "<~").
class GroupRange {
 public:
  GroupRange(const Layout& layout, const unsigned char* data, std::size_t totalGroups,
             bool partialFollows)
      : layout_(layout), data_(data), totalGroups_(totalGroups), partialFollows_(partialFollows) {}

  // Characters written after full group number `count` (1-based).
  std::size_t SeparatorsUpTo(std::size_t count) const {
    const std::size_t lines = count / layout_.groupsPerLine;
    if (!layout_.blocks) return lines;
    const std::size_t blocks = lines / layout_.linesPerBlock;
    // A line end is LF, a block end "~>" LF "<~": two or four characters more.
    std::size_t size = lines + 4 * blocks;
    if (blocks > 0 && count == totalGroups_ && lines % layout_.linesPerBlock == 0 &&
        count % layout_.groupsPerLine == 0 && !partialFollows_) {
      size -= 2;  // nothing follows the last block, so no "<~"
    }
    return size;
  }

  std::size_t Size(std::size_t first, std::size_t last, std::size_t zeros) const {
    return 5 * (last - first) - 4 * zeros + SeparatorsUpTo(last) - SeparatorsUpTo(first);
  }

  char* Encode(std::size_t first, std::size_t last, char* out) const {
    std::size_t group = first;
    while (group < last) {
      const std::size_t lineEnd = std::min(last, group + layout_.groupsPerLine);
      out = EncodeGroups(data_ + 4 * group, lineEnd - group, out);
      group = lineEnd;
      if (group % layout_.groupsPerLine != 0) break;  // only the very last line is short
      const std::size_t line = group / layout_.groupsPerLine;
      if (layout_.blocks && line % layout_.linesPerBlock == 0) {
        *out++ = '~';
        *out++ = '>';
        *out++ = '\n';
        if (group < totalGroups_ || partialFollows_) {
          *out++ = '<';
          *out++ = '~';
        }
      } else {
        *out++ = '\n';
      }
    }
    return out;
  }

 private:
  Layout layout_;
  const unsigned char* data_;
  std::size_t totalGroups_;
  bool partialFollows_;
};

}  // namespace

bool Ascii85KernelAvailable(Ascii85Kernel kernel) {
#if KM_ASCII85_SIMD
  static const bool avx2 = [] {
    __builtin_cpu_init();  // may run before the library's own start-up code
    return __builtin_cpu_supports("avx2") != 0;
  }();
  static const bool avx512 = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
           __builtin_cpu_supports("avx512vbmi");
  }();
  switch (kernel) {
    case Ascii85Kernel::kScalar:
      return true;
    case Ascii85Kernel::kAvx2:
      return avx2;
    case Ascii85Kernel::kAvx512:
      return avx512 && avx2;  // its last groups go through the AVX2 kernel
  }
  return false;
#else
  return kernel == Ascii85Kernel::kScalar;
#endif
}

std::string EncodeAscii85Groups(std::span<const unsigned char> data, Ascii85Kernel kernel) {
  if (!Ascii85KernelAvailable(kernel)) return {};
  const std::size_t groups = data.size() / 4;
  std::string text(5 * groups - 4 * CountZeroGroupsScalar(data.data(), groups), '\0');
  EncoderOf(kernel)(data.data(), groups, text.data());
  return text;
}

std::string EncodeAscii85(std::span<const unsigned char> data, std::size_t blockBytes,
                          std::size_t lineBytes) {
  std::string text;
  EncodeAscii85Into(data, blockBytes, lineBytes, text, Cores::kAll);
  return text;
}

void EncodeAscii85Into(std::span<const unsigned char> data, std::size_t blockBytes,
                       std::size_t lineBytes, std::string& text, Cores cores) {
  const Layout layout = MakeLayout(blockBytes, lineBytes);
  const std::size_t totalGroups = data.size() / 4;
  const std::size_t partial = data.size() % 4;
  const GroupRange range(layout, data.data(), totalGroups, partial > 0);

  // The "~>" end marker is left out only when the last group closed a block.
  const bool endsWithBlock = layout.blocks && partial == 0 && totalGroups > 0 &&
                             totalGroups % layout.groupsPerLine == 0 &&
                             (totalGroups / layout.groupsPerLine) % layout.linesPerBlock == 0;
  const std::size_t head = layout.blocks ? 2 : 0;
  const std::size_t tail = (partial > 0 ? partial + 1 : 0) + (endsWithBlock ? 0 : 3);

  const std::size_t chunkLines = std::max<std::size_t>(1, kChunkBytes / (4 * layout.groupsPerLine));
  const std::size_t chunkGroups = chunkLines * layout.groupsPerLine;
  const std::size_t chunks = cores == Cores::kAll && data.size() >= kParallelThreshold
                                 ? (totalGroups + chunkGroups - 1) / chunkGroups
                                 : 1;

  // Exact size first: every chunk's zero groups are counted, then each chunk knows its offset.
  std::vector<std::size_t> offsets(chunks + 1, 0);
  RunChunks(chunks, [&](std::size_t chunk) {
    const std::size_t first = chunk * chunkGroups;
    const std::size_t last = chunks == 1 ? totalGroups : std::min(totalGroups, first + chunkGroups);
    offsets[chunk + 1] =
        range.Size(first, last, CountZeroGroups(data.data() + 4 * first, last - first));
  });
  offsets[0] = head;
  for (std::size_t i = 1; i <= chunks; ++i) offsets[i] += offsets[i - 1];

  SizeText(text, offsets[chunks] + tail);
  char* const base = text.data();
  if (layout.blocks) std::memcpy(base, "<~", 2);
  RunChunks(chunks, [&](std::size_t chunk) {
    const std::size_t first = chunk * chunkGroups;
    const std::size_t last = chunks == 1 ? totalGroups : std::min(totalGroups, first + chunkGroups);
    range.Encode(first, last, base + offsets[chunk]);
  });

  char* out = base + offsets[chunks];
  if (partial > 0) {
    unsigned char last[4] = {0, 0, 0, 0};
    std::memcpy(last, data.data() + 4 * totalGroups, partial);
    char digits[5];
    WriteFiveDigits(LoadBigEndian(last), digits);
    std::memcpy(out, digits, partial + 1);
    out += partial + 1;
  }
  if (!endsWithBlock) std::memcpy(out, "~>\n", 3);
}

}  // namespace trm
