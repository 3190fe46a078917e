// Input: two layout bytes, then data. The ASCII85 and hex texts must decode back to the data
// (decoders written here, independent of the encoders) and keep their line limits.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "encoding/ascii85.h"
#include "encoding/hex.h"

namespace {

using Bytes = std::vector<unsigned char>;

// Reads "<~" ... "~>" strings or plain groups ending in "~>"; whitespace between characters.
Bytes DecodeAscii85(const std::string& text) {
  Bytes out;
  std::uint64_t value = 0;
  int count = 0;
  auto flush = [&](int n) {
    for (int i = count; i < 5; ++i) value = value * 85 + 84;
    if (value > 0xFFFFFFFFu) std::abort();
    for (int i = 0; i < n - 1; ++i)
      out.push_back(static_cast<unsigned char>(value >> (24 - 8 * i)));
    value = 0;
    count = 0;
  };
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\n') continue;
    // A group never starts with '<' followed by '~', so this is a string start.
    if (c == '<' && count == 0 && i + 1 < text.size() && text[i + 1] == '~') {
      ++i;
      continue;
    }
    if (c == '~') {
      if (i + 1 >= text.size() || text[i + 1] != '>') std::abort();
      ++i;
      if (count == 1) std::abort();
      if (count > 0) flush(count);
      continue;
    }
    if (c == 'z') {
      if (count != 0) std::abort();
      out.insert(out.end(), 4, 0);
      continue;
    }
    if (c < '!' || c > 'u') std::abort();
    value = value * 85 + static_cast<unsigned>(c - '!');
    if (++count == 5) flush(5);
  }
  if (count != 0) std::abort();
  return out;
}

Bytes DecodeHex(const std::string& text) {
  Bytes out;
  int high = -1;
  for (const char c : text) {
    if (c == '\n' || c == '<' || c == '>') continue;
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'A' && c <= 'F') {
      digit = c - 'A' + 10;
    } else {
      std::abort();
    }
    if (high < 0) {
      high = digit;
    } else {
      out.push_back(static_cast<unsigned char>(high * 16 + digit));
      high = -1;
    }
  }
  if (high >= 0) std::abort();
  return out;
}

std::size_t LongestLine(const std::string& text) {
  std::size_t longest = 0;
  std::size_t start = 0;
  for (std::size_t end = text.find('\n');; end = text.find('\n', start)) {
    const std::size_t stop = end == std::string::npos ? text.size() : end;
    longest = std::max(longest, stop - start);
    if (end == std::string::npos) break;
    start = end + 1;
  }
  return longest;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  // Small layouts so that short inputs cross many line and block ends.
  const std::size_t block = data[0] % 4 == 0 ? 0 : 4 * (data[0] % 16);
  const std::size_t line = data[1] % 3 == 0 ? 0 : 4 * (data[1] % 8);
  const Bytes input(data + 2, data + size);

  const std::string ascii85 = trm::EncodeAscii85(input, block, line);
  if (DecodeAscii85(ascii85) != input) std::abort();
  const std::size_t groups = line > 0 ? line / 4 : (block > 0 ? block / 4 : 20);
  // Five characters per group, plus "<~", "~>" and a partial group on the last line.
  if (LongestLine(ascii85) > 5 * std::max<std::size_t>(groups, 1) + 4 + 4) std::abort();

  // Every kernel this machine has writes the groups as the scalar one does.
  const std::string scalar = trm::EncodeAscii85Groups(input, trm::Ascii85Kernel::kScalar);
  for (const auto kernel : {trm::Ascii85Kernel::kAvx2, trm::Ascii85Kernel::kAvx512}) {
    if (trm::Ascii85KernelAvailable(kernel) && trm::EncodeAscii85Groups(input, kernel) != scalar) {
      std::abort();
    }
  }

  if (trm::HexKernelAvailable(trm::HexKernel::kAvx2) &&
      trm::EncodeHexDigits(input, trm::HexKernel::kAvx2) !=
          trm::EncodeHexDigits(input, trm::HexKernel::kScalar)) {
    std::abort();
  }
  const std::string hex = trm::EncodeHex(input, block, line);
  if (DecodeHex(hex) != input) std::abort();
  if (line > 0 && block == 0 && LongestLine(hex) > 2 * line) std::abort();
  return 0;
}
