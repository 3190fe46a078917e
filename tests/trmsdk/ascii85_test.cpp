#include "encoding/ascii85.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "encoding/ascii85_kernels.h"
#include "encoding/cpu_dispatch.h"
#include "ghostscript.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  Bytes data(size);
  for (auto& byte : data) byte = static_cast<unsigned char>(random());
  return data;
}

// The five digits of a group value, most significant first, or "z" for zero.
std::string ReferenceGroup(std::uint32_t v, std::size_t characters = 5) {
  std::string five(5, ' ');
  for (int i = 4; i >= 0; --i, v /= 85) five[i] = static_cast<char>('!' + v % 85);
  return characters == 5 && five == "!!!!!" ? "z" : five.substr(0, characters);
}

std::uint32_t GroupValue(const Bytes& data, std::size_t pos) {
  std::uint32_t v = 0;
  for (std::size_t i = 0; i < 4; ++i) v = v << 8 | (pos + i < data.size() ? data[pos + i] : 0);
  return v;
}

// A plain, one-group-at-a-time rendering of the layout rules, kept deliberately naive so that
// it can be trusted as the reference for the fast encoder.
std::string ReferenceAscii85(const Bytes& data, std::size_t blockBytes, std::size_t lineBytes) {
  std::size_t perLine = lineBytes > 0 ? lineBytes / 4 : (blockBytes > 0 ? blockBytes / 4 : 20);
  std::size_t linesPerBlock = lineBytes > 0 ? blockBytes / lineBytes : 1;
  perLine = std::max<std::size_t>(perLine, 1);
  linesPerBlock = std::max<std::size_t>(linesPerBlock, 1);
  const bool blocks = blockBytes > 0;
  std::string out = blocks ? "<~" : "";
  bool justClosed = false;
  std::size_t groups = 0;
  for (std::size_t pos = 0; pos < data.size(); pos += 4) {
    if (justClosed) out += "<~";
    justClosed = false;
    const std::size_t characters = std::min<std::size_t>(data.size() - pos, 4) + 1;
    out += ReferenceGroup(GroupValue(data, pos), characters);
    if (characters < 5 || ++groups % perLine != 0) continue;
    justClosed = blocks && (groups / perLine) % linesPerBlock == 0;
    out += justClosed ? "~>\n" : "\n";
  }
  if (!justClosed) out += "~>\n";
  return out;
}

TEST(Ascii85, LiteralLayouts) {
  const Bytes ones(16, 0x01);  // each group "!<E3%"
  const std::string twenty = [] {
    std::string line;
    for (int i = 0; i < 20; ++i) line += "!<E3%";
    return line;
  }();
  struct Case {
    Bytes data;
    std::size_t block;
    std::size_t line;
    std::string text;
  };
  const Case cases[] = {
      {{0, 0, 0, 0}, 0, 512, "z~>\n"},
      {{0}, 0, 512, "!!~>\n"},
      {{0, 0, 0}, 0, 512, "!!!!~>\n"},
      {{0, 0, 0, 0, 0}, 0, 512, "z!!~>\n"},
      {{0xFF, 0xFF, 0xFF, 0xFF}, 0, 512, "s8W-!~>\n"},
      {{'M', 'a', 'n', ' '}, 0, 512, "9jqo^~>\n"},
      {{}, 0, 512, "~>\n"},
      {{}, 49152, 0, "<~~>\n"},
      // A line end after every line, also after the last full one.
      {Bytes(8, 1), 0, 4, "!<E3%\n!<E3%\n~>\n"},
      // Twenty groups to a line when neither size is given.
      {Bytes(81, 1), 0, 0, twenty + "\n!<~>\n"},
      // Strings of two groups; the last one needs no second end marker.
      {Bytes(ones.begin(), ones.begin() + 8), 8, 0, "<~!<E3%!<E3%~>\n"},
      {ones, 8, 0, "<~!<E3%!<E3%~>\n<~!<E3%!<E3%~>\n"},
      // Two lines to a string: only every second line end closes one.
      {Bytes(9, 0), 8, 4, "<~z\nz~>\n<~!!~>\n"},
  };
  for (const Case& one : cases) {
    EXPECT_EQ(trm::EncodeAscii85(one.data, one.block, one.line), one.text) << one.text;
    EXPECT_EQ(ReferenceAscii85(one.data, one.block, one.line), one.text) << one.text;
  }
}

TEST(Ascii85, MatchesReferenceForEverySmallSizeAndLayout) {
  for (std::size_t size = 0; size <= 600; ++size) {
    Bytes data = RandomBytes(size, static_cast<unsigned>(size));
    for (std::size_t i = 0; i + 8 <= size; i += 37) std::fill_n(data.begin() + i, 8, 0);
    for (auto [block, line] : {std::pair<std::size_t, std::size_t>{0, 512},
                               {0, 0},
                               {64, 0},
                               {64, 16},
                               {0, 48},
                               {3, 2},
                               {49152, 512}}) {
      ASSERT_EQ(trm::EncodeAscii85(data, block, line), ReferenceAscii85(data, block, line))
          << size << " bytes, block " << block << ", line " << line;
    }
  }
}

// Ghostscript's own filter reads back container strings, each on its own. Load_file records
// of every size and byte value reach the printer's disk intact in the e2e tests.
TEST(Ascii85, GhostscriptDecodesContainerStrings) {
  const Bytes strings = RandomBytes(2 * 49152 + 7, 13);
  const std::string text = trm::EncodeAscii85(strings, 49152, 0);
  std::string decoded;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = text.find("~>\n", start) + 3;
    ASSERT_EQ(text.compare(start, 2, "<~"), 0);
    decoded += km_test::GhostscriptDecode(text.substr(start + 2, end - start - 2), "ASCII85Decode");
    start = end;
  }
  EXPECT_TRUE(decoded == std::string(strings.begin(), strings.end()));
}

// Every kernel this machine runs against the reference, the scalar one always: every count of
// groups around the step sizes, zero groups at each place of a step, whole zero steps and the
// edges of every digit. A kernel this machine cannot run is named in the output.
TEST(Ascii85, EveryKernelThisMachineRuns) {
  std::vector<Bytes> inputs;
  for (std::size_t groups = 0; groups <= 70; ++groups) {
    inputs.push_back(RandomBytes(4 * groups, static_cast<unsigned>(groups)));
  }
  for (std::size_t at = 0; at < 40; ++at) {
    Bytes data = RandomBytes(4 * 40, static_cast<unsigned>(100 + at));
    std::fill_n(data.begin() + 4 * at, 4, 0);
    inputs.push_back(data);
  }
  // Whole zero steps between non-zero ones, and zero bytes that do not make a zero group.
  Bytes mixed = RandomBytes(4 * 96, 7);
  std::fill_n(mixed.begin() + 64, 64, 0);
  std::fill_n(mixed.begin() + 192, 128, 0);
  mixed[200] = 1;
  inputs.push_back(mixed);
  inputs.push_back(Bytes(4 * 48, 0));
  // Steps that are all zero but for their first or their last group.
  for (std::size_t keep : {0, 15, 16, 31}) {
    Bytes data(4 * 48, 0);
    data[4 * keep + 3] = 9;
    inputs.push_back(data);
  }
  Bytes edges;
  for (std::uint64_t power = 1; power <= 85ull * 85 * 85 * 85; power *= 85) {
    for (std::uint64_t value : {power - 1, power, power + 1, 2 * power - 1}) {
      for (int shift = 24; shift >= 0; shift -= 8) edges.push_back((value >> shift) & 0xFF);
    }
  }
  edges.insert(edges.end(), 64, 0xFF);
  inputs.push_back(edges);

  const std::pair<trm::Ascii85Kernel, const char*> kernels[] = {
      {trm::Ascii85Kernel::kScalar, "scalar"},
      {trm::Ascii85Kernel::kAvx2, "AVX2"},
      {trm::Ascii85Kernel::kAvx512, "AVX-512"}};
  for (const auto& [kernel, name] : kernels) {
    if (!trm::KernelAvailable(kernel)) {
      std::printf("[   NOTE   ] ASCII85 %s kernel not tested: this machine cannot run it\n", name);
      continue;
    }
    for (const Bytes& data : inputs) {
      std::string expected;
      for (std::size_t pos = 0; pos < data.size(); pos += 4)
        expected += ReferenceGroup(GroupValue(data, pos));
      std::string text(data.size() / 4 * 5, '\0');
      text.resize(trm::EncodeAscii85Groups(kernel, data.data(), data.size() / 4, text.data()) -
                  text.data());
      ASSERT_EQ(text, expected) << name << ", " << data.size() << " bytes";
    }
  }
}

}  // namespace
