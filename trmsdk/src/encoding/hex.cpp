#include "encoding/hex.h"

#include <algorithm>
#include <cstring>

#include "encoding/cpu_dispatch.h"
#include "encoding/hex_kernels.h"

namespace trm {

std::string EncodeHex(std::span<const unsigned char> data, std::size_t blockBytes,
                      std::size_t lineBytes) {
  std::string text;
  EncodeHexInto(data, blockBytes, lineBytes, text);
  return text;
}

void EncodeHexInto(std::span<const unsigned char> data, std::size_t blockBytes,
                   std::size_t lineBytes, std::string& text) {
  static const HexKernel kernel = BestHexKernel();
  const std::size_t size = data.size();
  // Separators follow every block or line but the last: 3 characters a block, 1 a line.
  const std::size_t between = size > 0 ? size - 1 : 0;
  const std::size_t brackets = blockBytes > 0 ? 2 : 0;
  text.resize(brackets + 2 * size + (blockBytes > 0 ? 3 * (between / blockBytes) : 0) +
              (lineBytes > 0 ? between / lineBytes : 0));
  char* out = text.data();
  if (blockBytes > 0) *out++ = '<';
  std::size_t index = 0;
  while (index < size) {
    std::size_t stop = size;
    if (blockBytes > 0) stop = std::min(stop, (index / blockBytes + 1) * blockBytes);
    if (lineBytes > 0) stop = std::min(stop, (index / lineBytes + 1) * lineBytes);
    out = EncodeHexDigits(kernel, data.data() + index, stop - index, out);
    index = stop;
    if (index >= size) break;
    if (blockBytes > 0 && index % blockBytes == 0) {
      std::memcpy(out, ">\n<", 3);
      out += 3;
    }
    if (lineBytes > 0 && index % lineBytes == 0) *out++ = '\n';
  }
  if (blockBytes > 0) *out = '>';
}

}  // namespace trm
