#include "encoding/hex.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "encoding/parallel_text.h"

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

char* EncodeRun(const unsigned char* src, std::size_t count, char* out) {
  for (std::size_t i = 0; i < count; ++i, out += 2) {
    std::memcpy(out, &kTable.chars[2 * src[i]], 2);
  }
  return out;
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
