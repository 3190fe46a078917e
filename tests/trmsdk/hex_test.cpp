#include "encoding/hex.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "encoding/cpu_dispatch.h"
#include "encoding/hex_kernels.h"
#include "ghostscript.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  Bytes data(size);
  for (auto& byte : data) byte = static_cast<unsigned char>(random());
  return data;
}

// Byte by byte, with the separators checked after every byte.
std::string ReferenceHex(const Bytes& data, std::size_t blockBytes, std::size_t lineBytes) {
  std::string out = blockBytes > 0 ? "<" : "";
  for (std::size_t i = 0; i < data.size(); ++i) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%.2X", data[i]);
    out += digits;
    const std::size_t count = i + 1;
    if (count == data.size()) break;
    if (blockBytes > 0 && count % blockBytes == 0) out += ">\n<";
    if (lineBytes > 0 && count % lineBytes == 0) out += "\n";
  }
  if (blockBytes > 0) out += ">";
  return out;
}

TEST(Hex, LiteralLayouts) {
  struct Case {
    Bytes data;
    std::size_t block;
    std::size_t line;
    std::string text;
  };
  const Case cases[] = {
      {{0xAB, 0x0C, 0xEF}, 0, 512, "AB0CEF"},
      {{0x00, 0x9F, 0xA0, 0xFF}, 0, 512, "009FA0FF"},
      {{}, 0, 512, ""},
      {{}, 49152, 0, "<>"},
      // No line end after the last byte.
      {{1, 2, 3, 4}, 0, 2, "0102\n0304"},
      {{1, 2, 3, 4, 5}, 0, 2, "0102\n0304\n05"},
      {{1, 2, 3, 4, 5}, 2, 0, "<0102>\n<0304>\n<05>"},
      {{1, 2, 3, 4, 5, 6}, 4, 2, "<0102\n0304>\n<\n0506>"},
  };
  for (const Case& one : cases) {
    EXPECT_EQ(trm::EncodeHex(one.data, one.block, one.line), one.text) << one.text;
    EXPECT_EQ(ReferenceHex(one.data, one.block, one.line), one.text) << one.text;
  }
}

TEST(Hex, MatchesReferenceForEverySmallSizeAndLayout) {
  Bytes all(256);
  for (int i = 0; i < 256; ++i) all[i] = static_cast<unsigned char>(255 - i);
  EXPECT_EQ(trm::EncodeHex(all, 0, 0), ReferenceHex(all, 0, 0));
  for (std::size_t size = 0; size <= 300; ++size) {
    const Bytes data = RandomBytes(size, static_cast<unsigned>(size));
    for (auto [block, line] :
         {std::pair<std::size_t, std::size_t>{0, 512}, {0, 0}, {0, 7}, {16, 0}, {16, 4}, {6, 4}}) {
      ASSERT_EQ(trm::EncodeHex(data, block, line), ReferenceHex(data, block, line))
          << size << " bytes, block " << block << ", line " << line;
    }
  }
}

// Ghostscript's own filter reads back container strings, each on its own. Load_file records
// of every size and byte value reach the printer's disk intact in the e2e tests.
TEST(Hex, GhostscriptDecodesContainerStrings) {
  const Bytes strings = RandomBytes(2 * 49152 + 7, 13);
  const std::string text = trm::EncodeHex(strings, 49152, 0);
  std::string decoded;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = std::min(text.find(">\n", start), text.size() - 1) + 1;
    ASSERT_EQ(text[start], '<');
    decoded +=
        km_test::GhostscriptDecode(text.substr(start + 1, end - start - 1), "ASCIIHexDecode");
    start = end + 1;
  }
  EXPECT_TRUE(decoded == std::string(strings.begin(), strings.end()));
}

// Every kernel this machine runs against the reference, the scalar one always: every length
// around the 32-byte step and every byte value. A kernel this machine cannot run is named in
// the output.
TEST(Hex, EveryKernelThisMachineRuns) {
  std::vector<Bytes> inputs;
  for (std::size_t size = 0; size <= 100; ++size) {
    inputs.push_back(RandomBytes(size, static_cast<unsigned>(size)));
  }
  Bytes every(256);
  for (std::size_t i = 0; i < every.size(); ++i) every[i] = static_cast<unsigned char>(255 - i);
  inputs.push_back(every);
  const std::pair<trm::HexKernel, const char*> kernels[] = {{trm::HexKernel::kScalar, "scalar"},
                                                            {trm::HexKernel::kAvx2, "AVX2"}};
  for (const auto& [kernel, name] : kernels) {
    if (!trm::KernelAvailable(kernel)) {
      std::printf("[   NOTE   ] hex %s kernel not tested: this machine cannot run it\n", name);
      continue;
    }
    for (const Bytes& data : inputs) {
      std::string text(2 * data.size(), '\0');
      EXPECT_EQ(trm::EncodeHexDigits(kernel, data.data(), data.size(), text.data()),
                text.data() + text.size());
      ASSERT_EQ(text, ReferenceHex(data, 0, 0)) << name << ", " << data.size() << " bytes";
    }
  }
}

}  // namespace
