// The ASCII85 and hex encodings of load_file records: every kernel this machine runs (the scalar
// ones always) against the reference, literal layouts that also pin the reference, the reference
// for every small size and layout, and Ghostscript's own filters reading them.

#include <cstdio>

#include "encoding/ascii85.h"
#include "encoding/ascii85_kernels.h"
#include "encoding/cpu_dispatch.h"
#include "encoding/hex.h"
#include "encoding/hex_kernels.h"
#include "encoding_reference.h"
#include "generator_fixture.h"
#include "ghostscript.h"

namespace trm_test {
namespace {

template <typename Kernel>
bool Runs(Kernel kernel, const char* name) {
  if (trm::KernelAvailable(kernel)) return true;
  std::printf("[   NOTE   ] %s kernel not tested: this machine cannot run it\n", name);
  return false;
}

// Every count of groups around the step sizes, zero groups at each place of a step, whole
// zero steps and the edges of every digit.
TEST(EncodingKernels, Ascii85) {
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
      {trm::Ascii85Kernel::kScalar, "ASCII85 scalar"},
      {trm::Ascii85Kernel::kAvx2, "ASCII85 AVX2"},
      {trm::Ascii85Kernel::kAvx512, "ASCII85 AVX-512"}};
  for (const auto& [kernel, name] : kernels) {
    if (!Runs(kernel, name)) continue;
    for (const Bytes& data : inputs) {
      std::string expected;
      for (std::size_t pos = 0; pos < data.size(); pos += 4)
        expected += encoding_reference::Group(data, pos);
      std::string text(data.size() / 4 * 5, '\0');
      text.resize(trm::EncodeAscii85Groups(kernel, data.data(), data.size() / 4, text.data()) -
                  text.data());
      ASSERT_EQ(text, expected) << name << ", " << data.size() << " bytes";
    }
  }
}

// Every length around the 32-byte step and every byte value.
TEST(EncodingKernels, Hex) {
  std::vector<Bytes> inputs;
  for (std::size_t size = 0; size <= 100; ++size) {
    inputs.push_back(RandomBytes(size, static_cast<unsigned>(size)));
  }
  Bytes every(256);
  for (std::size_t i = 0; i < every.size(); ++i) every[i] = static_cast<unsigned char>(255 - i);
  inputs.push_back(every);
  const std::pair<trm::HexKernel, const char*> kernels[] = {{trm::HexKernel::kScalar, "hex scalar"},
                                                            {trm::HexKernel::kAvx2, "hex AVX2"}};
  for (const auto& [kernel, name] : kernels) {
    if (!Runs(kernel, name)) continue;
    for (const Bytes& data : inputs) {
      std::string text(2 * data.size(), '\0');
      EXPECT_EQ(trm::EncodeHexDigits(kernel, data.data(), data.size(), text.data()),
                text.data() + text.size());
      ASSERT_EQ(text, encoding_reference::Hex(data, 0, 0)) << name << ", " << data.size();
    }
  }
}

struct Encoder {
  const char* name;
  std::string (*encode)(std::span<const unsigned char>, std::size_t, std::size_t);
  std::string (*reference)(const Bytes&, std::size_t, std::size_t);
};
const Encoder kAscii85 = {"ASCII85", trm::EncodeAscii85, encoding_reference::Ascii85};
const Encoder kHex = {"hex", trm::EncodeHex, encoding_reference::Hex};

TEST(EncodingLayout, Literals) {
  std::string twenty;
  for (int i = 0; i < 20; ++i) twenty += "!<E3%";
  struct Case {
    const Encoder& encoder;
    Bytes data;
    std::size_t block;
    std::size_t line;
    std::string text;
  };
  const Case cases[] = {
      {kAscii85, {0, 0, 0, 0}, 0, 512, "z~>\n"},
      {kAscii85, {0}, 0, 512, "!!~>\n"},
      {kAscii85, {0, 0, 0, 0, 0}, 0, 512, "z!!~>\n"},
      {kAscii85, {0xFF, 0xFF, 0xFF, 0xFF}, 0, 512, "s8W-!~>\n"},
      {kAscii85, {'M', 'a', 'n', ' '}, 0, 512, "9jqo^~>\n"},
      {kAscii85, {}, 0, 512, "~>\n"},
      {kAscii85, {}, 49152, 0, "<~~>\n"},
      // A line end after every line, also after the last full one.
      {kAscii85, Bytes(8, 1), 0, 4, "!<E3%\n!<E3%\n~>\n"},
      // Twenty groups to a line when neither size is given.
      {kAscii85, Bytes(81, 1), 0, 0, twenty + "\n!<~>\n"},
      // The last string needs no second end marker.
      {kAscii85, Bytes(16, 1), 8, 0, "<~!<E3%!<E3%~>\n<~!<E3%!<E3%~>\n"},
      // Two lines to a string: only every second line end closes one.
      {kAscii85, Bytes(9, 0), 8, 4, "<~z\nz~>\n<~!!~>\n"},
      {kHex, {0x00, 0x9F, 0xA0, 0xFF}, 0, 512, "009FA0FF"},
      {kHex, {}, 0, 512, ""},
      {kHex, {}, 49152, 0, "<>"},
      // No line end after the last byte.
      {kHex, {1, 2, 3, 4}, 0, 2, "0102\n0304"},
      {kHex, {1, 2, 3, 4, 5}, 2, 0, "<0102>\n<0304>\n<05>"},
      {kHex, {1, 2, 3, 4, 5, 6}, 4, 2, "<0102\n0304>\n<\n0506>"},
  };
  for (const Case& one : cases) {
    EXPECT_EQ(one.encoder.encode(one.data, one.block, one.line), one.text) << one.text;
    EXPECT_EQ(one.encoder.reference(one.data, one.block, one.line), one.text) << one.text;
  }
}

TEST(EncodingLayout, MatchesReferenceForEverySmallSizeAndLayout) {
  for (std::size_t size = 0; size <= 600; ++size) {
    Bytes data = RandomBytes(size, static_cast<unsigned>(size));
    for (std::size_t i = 0; i + 8 <= size; i += 37) std::fill_n(data.begin() + i, 8, 0);
    for (auto [block, line] : {std::pair<std::size_t, std::size_t>{0, 512},
                               {0, 0},
                               {0, 7},
                               {0, 48},
                               {64, 0},
                               {64, 16},
                               {6, 4},
                               {3, 2},
                               {49152, 512}}) {
      for (const Encoder* encoder : {&kAscii85, &kHex}) {
        ASSERT_EQ(encoder->encode(data, block, line), encoder->reference(data, block, line))
            << encoder->name << ", " << size << " bytes, block " << block << ", line " << line;
      }
    }
  }
}

// Container strings, each on its own. Load_file records of every size and byte value reach
// the printer's disk intact in the e2e tests.
TEST(EncodingLayout, GhostscriptDecodesContainerStrings) {
  const Bytes data = RandomBytes(2 * 49152 + 7, 13);
  struct Container {
    std::string text;
    std::string open;
    std::string close;
    const char* filter;
  };
  const Container containers[] = {{trm::EncodeAscii85(data, 49152, 0), "<~", "~>", "ASCII85Decode"},
                                  {trm::EncodeHex(data, 49152, 0), "<", ">", "ASCIIHexDecode"}};
  for (const Container& one : containers) {
    std::string decoded;
    for (std::size_t start = 0; start < one.text.size();) {
      ASSERT_EQ(one.text.compare(start, one.open.size(), one.open), 0) << one.filter;
      const std::size_t end = one.text.find(one.close, start) + one.close.size();
      decoded += km_test::GhostscriptDecode(
          one.text.substr(start + one.open.size(), end - start - one.open.size()), one.filter);
      start = end + 1;
    }
    EXPECT_TRUE(decoded == std::string(data.begin(), data.end())) << one.filter;
  }
}

}  // namespace
}  // namespace trm_test
