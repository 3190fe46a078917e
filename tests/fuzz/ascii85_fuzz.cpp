// Input: two layout bytes, then data. The ASCII85 and hex texts must decode back to the data
// (decoders written here, independent of the encoders) and keep their line limits.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "encoding/ascii85.h"
#include "encoding/ascii85_kernels.h"
#include "encoding/cpu_dispatch.h"
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

Bytes DecodeHex(std::string text) {
  std::erase_if(text, [](char c) { return c == '\n' || c == '<' || c == '>'; });
  if (text.size() % 2 != 0 || text.find_first_not_of("0123456789ABCDEF") != std::string::npos) {
    std::abort();
  }
  Bytes out;
  for (std::size_t i = 0; i < text.size(); i += 2) {
    out.push_back(static_cast<unsigned char>(std::stoi(text.substr(i, 2), nullptr, 16)));
  }
  return out;
}

std::size_t LongestLine(const std::string& text) {
  std::size_t longest = 0;
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) longest = std::max(longest, line.size());
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
  const std::size_t perLine = line > 0 ? line / 4 : (block > 0 ? block / 4 : 20);
  // Five characters per group, plus "<~", "~>" and a partial group on the last line.
  if (LongestLine(ascii85) > 5 * std::max<std::size_t>(perLine, 1) + 4 + 4) std::abort();

  // Every kernel this machine runs writes what the scalar one writes.
  const std::size_t groups = input.size() / 4;
  std::string scalar(5 * groups, '\0');
  std::string other(5 * groups, '\0');
  const char* end =
      trm::EncodeAscii85Groups(trm::Ascii85Kernel::kScalar, input.data(), groups, scalar.data());
  for (const auto kernel : {trm::Ascii85Kernel::kAvx2, trm::Ascii85Kernel::kAvx512}) {
    if (!trm::KernelAvailable(kernel)) continue;
    const char* otherEnd = trm::EncodeAscii85Groups(kernel, input.data(), groups, other.data());
    if (otherEnd - other.data() != end - scalar.data() || other != scalar) std::abort();
  }
  const std::string hex = trm::EncodeHex(input, block, line);
  if (DecodeHex(hex) != input) std::abort();
  if (line > 0 && block == 0 && LongestLine(hex) > 2 * line) std::abort();
  return 0;
}
