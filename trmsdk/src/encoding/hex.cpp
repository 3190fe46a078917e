#include "encoding/hex.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "encoding/parallel_text.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define KM_HEX_SIMD 1
#else
#define KM_HEX_SIMD 0
#endif

namespace trm {
namespace {

constexpr std::size_t kChunkBytes = std::size_t{256} << 10;

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

char* EncodeRunScalar(const unsigned char* src, std::size_t count, char* out) {
  for (std::size_t i = 0; i < count; ++i, out += 2) {
    std::memcpy(out, &kTable.chars[2 * src[i]], 2);
  }
  return out;
}

#if KM_HEX_SIMD
// Thirty-two bytes per step: each nibble picks its digit by a byte shuffle.
__attribute__((target("avx2"))) char* EncodeRunAvx2(const unsigned char* src, std::size_t count,
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
  return EncodeRunScalar(src + i, count - i, out);
}
#endif

using RunEncoder = char* (*)(const unsigned char*, std::size_t, char*);

RunEncoder EncoderOf(HexKernel kernel) {
#if KM_HEX_SIMD
  if (kernel == HexKernel::kAvx2) return EncodeRunAvx2;
#endif
  (void)kernel;
  return EncodeRunScalar;
}

char* EncodeRun(const unsigned char* src, std::size_t count, char* out) {
  static const RunEncoder encoder =
      EncoderOf(HexKernelAvailable(HexKernel::kAvx2) ? HexKernel::kAvx2 : HexKernel::kScalar);
  return encoder(src, count, out);
}

class HexLayout {
 public:
  HexLayout(std::size_t size, std::size_t blockBytes, std::size_t lineBytes)
      : size_(size), block_(blockBytes), line_(lineBytes) {}

  // Where the digits of byte `index` start (index < size, or index == size for the end).
  std::size_t OffsetOf(std::size_t index) const {
    std::size_t offset = (block_ > 0 ? 1 : 0) + 2 * index;
    // Separators follow bytes 1 .. index (1-based), never the last byte.
    const std::size_t after = std::min(index, size_ > 0 ? size_ - 1 : 0);
    if (block_ > 0) offset += 3 * (after / block_);
    if (line_ > 0) offset += after / line_;
    return offset;
  }

  std::size_t TotalSize() const { return OffsetOf(size_) + (block_ > 0 ? 1 : 0); }

  // Encodes bytes [first, last) starting at `out`.
  void Encode(const unsigned char* data, std::size_t first, std::size_t last, char* out) const {
    std::size_t index = first;
    while (index < last) {
      std::size_t stop = last;
      if (block_ > 0) stop = std::min(stop, (index / block_ + 1) * block_);
      if (line_ > 0) stop = std::min(stop, (index / line_ + 1) * line_);
      out = EncodeRun(data + index, stop - index, out);
      index = stop;
      if (index >= size_) break;
      if (block_ > 0 && index % block_ == 0) {
        std::memcpy(out, ">\n<", 3);
        out += 3;
      }
      if (line_ > 0 && index % line_ == 0) *out++ = '\n';
    }
  }

 private:
  std::size_t size_;
  std::size_t block_;
  std::size_t line_;
};

}  // namespace

bool HexKernelAvailable(HexKernel kernel) {
#if KM_HEX_SIMD
  static const bool avx2 = [] {
    __builtin_cpu_init();  // may run before the library's own start-up code
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return kernel == HexKernel::kScalar || avx2;
#else
  return kernel == HexKernel::kScalar;
#endif
}

std::string EncodeHexDigits(std::span<const unsigned char> data, HexKernel kernel) {
  if (!HexKernelAvailable(kernel)) return {};
  std::string text(2 * data.size(), '\0');
  EncoderOf(kernel)(data.data(), data.size(), text.data());
  return text;
}

std::string EncodeHex(std::span<const unsigned char> data, std::size_t blockBytes,
                      std::size_t lineBytes) {
  std::string text;
  EncodeHexInto(data, blockBytes, lineBytes, text, Cores::kAll);
  return text;
}

void EncodeHexInto(std::span<const unsigned char> data, std::size_t blockBytes,
                   std::size_t lineBytes, std::string& text, Cores cores) {
  const HexLayout layout(data.size(), blockBytes, lineBytes);
  SizeText(text, layout.TotalSize());
  char* const base = text.data();
  if (blockBytes > 0) {
    base[0] = '<';
    base[text.size() - 1] = '>';
  }
  const std::size_t chunks = cores == Cores::kAll && data.size() >= kParallelThreshold
                                 ? (data.size() + kChunkBytes - 1) / kChunkBytes
                                 : 1;
  RunChunks(chunks, [&](std::size_t chunk) {
    const std::size_t first = chunk * kChunkBytes;
    const std::size_t last = chunks == 1 ? data.size() : std::min(data.size(), first + kChunkBytes);
    layout.Encode(data.data(), first, last, base + layout.OffsetOf(first));
  });
}

}  // namespace trm
