// The ASCII85 and hex layouts of load_file records: literal texts that also pin the reference,
// the reference for every small size and layout, and Ghostscript's own filters reading them.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "encoding/ascii85.h"
#include "encoding/hex.h"
#include "encoding_reference.h"
#include "ghostscript.h"
#include "random_bytes.h"

namespace {

using encoding_reference::Bytes;

Bytes RandomBytes(std::size_t size, unsigned seed) {
  const std::string text = km_test::RandomBytes(size, seed);
  return Bytes(text.begin(), text.end());
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
