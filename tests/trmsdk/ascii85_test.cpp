#include "encoding/ascii85.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "encoding_test_support.h"

namespace {

using trm_test::Bytes;
using trm_test::GhostscriptDecode;
using trm_test::RandomBytes;
namespace fs = std::filesystem;

// A plain, one-character-at-a-time rendering of the layout rules, kept deliberately naive so that
// it can be trusted as the reference for the fast encoder.
std::string ReferenceAscii85(const Bytes& data, std::size_t blockBytes, std::size_t lineBytes) {
  std::size_t perLine = lineBytes > 0 ? lineBytes / 4 : (blockBytes > 0 ? blockBytes / 4 : 20);
  std::size_t linesPerBlock = lineBytes > 0 ? blockBytes / lineBytes : 1;
  if (perLine == 0) perLine = 1;
  if (linesPerBlock == 0) linesPerBlock = 1;
  const bool blocks = blockBytes > 0;
  std::string out = blocks ? "<~" : "";
  bool justClosed = false;
  std::size_t groups = 0;
  std::size_t lines = 0;
  auto digits = [](std::uint32_t v) {
    std::string five(5, ' ');
    for (int i = 4; i >= 0; --i) {
      five[i] = static_cast<char>('!' + v % 85);
      v /= 85;
    }
    return five;
  };
  std::size_t pos = 0;
  for (; pos + 4 <= data.size(); pos += 4) {
    if (justClosed) out += "<~";
    justClosed = false;
    const std::uint32_t v = (std::uint32_t{data[pos]} << 24) | (data[pos + 1] << 16) |
                            (data[pos + 2] << 8) | data[pos + 3];
    out += v == 0 ? "z" : digits(v);
    if (++groups % perLine == 0) {
      ++lines;
      if (blocks && lines % linesPerBlock == 0) {
        out += "~>\n";
        justClosed = true;
      } else {
        out += "\n";
      }
    }
  }
  if (pos < data.size()) {
    if (justClosed) out += "<~";
    justClosed = false;
    unsigned char last[4] = {0, 0, 0, 0};
    std::copy(data.begin() + pos, data.end(), last);
    const std::uint32_t v =
        (std::uint32_t{last[0]} << 24) | (last[1] << 16) | (last[2] << 8) | last[3];
    out += digits(v).substr(0, data.size() - pos + 1);
  }
  if (!justClosed) out += "~>\n";
  return out;
}

std::string Encode(const Bytes& data, std::size_t blockBytes, std::size_t lineBytes) {
  return trm::EncodeAscii85(data, blockBytes, lineBytes);
}

class PythonDecoder {
 public:
  PythonDecoder() {
    dir_ = fs::temp_directory_path() / ("a85test-" + std::to_string(getpid()));
    fs::create_directories(dir_);
  }
  ~PythonDecoder() {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }

  // Decodes with python3's base64 module: a load_file text (ending "~>" LF) with adobe=False on
  // the data before the marker; a block text string by string ("<~...~>" with adobe=True).
  Bytes Decode(const std::string& text, bool blocks) {
    const fs::path in = dir_ / "in.txt";
    const fs::path out = dir_ / "out.bin";
    std::ofstream(in, std::ios::binary) << text;
    const std::string script =
        blocks ? "import base64,re,sys; t=open(sys.argv[1],'rb').read(); "
                 "open(sys.argv[2],'wb').write(b''.join(base64.a85decode(s,adobe=True) "
                 "for s in re.findall(rb'<~.*?~>',t,re.S)))"
               : "import base64,sys; t=open(sys.argv[1],'rb').read(); "
                 "assert t.endswith(b'~>\\n') and t.count(b'~>')==1; "
                 "open(sys.argv[2],'wb').write(base64.a85decode(t[:-3],adobe=False))";
    const std::string command =
        "python3 -c \"" + script + "\" '" + in.string() + "' '" + out.string() + "'";
    if (std::system(command.c_str()) != 0) return {};
    std::ifstream decoded(out, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(decoded), {});
  }

 private:
  fs::path dir_;
};

TEST(Ascii85Layout, SingleValues) {
  EXPECT_EQ(Encode({0, 0, 0, 0}, 0, 512), "z~>\n");
  EXPECT_EQ(Encode({0}, 0, 512), "!!~>\n");
  EXPECT_EQ(Encode({0, 0, 0}, 0, 512), "!!!!~>\n");
  EXPECT_EQ(Encode({0, 0, 0, 0, 0}, 0, 512), "z!!~>\n");
  EXPECT_EQ(Encode({0xFF, 0xFF, 0xFF, 0xFF}, 0, 512), "s8W-!~>\n");
  EXPECT_EQ(Encode({'M', 'a', 'n', ' '}, 0, 512), "9jqo^~>\n");
  EXPECT_EQ(Encode({}, 0, 512), "~>\n");
  EXPECT_EQ(Encode({}, 49152, 0), "<~~>\n");
}

TEST(Ascii85Layout, LoadFileRecordLines) {
  const Bytes full = RandomBytes(512, 1);
  const std::string one = Encode(full, 0, 512);
  ASSERT_GE(one.size(), 4u);
  EXPECT_EQ(one.substr(one.size() - 4), "\n~>\n");
  const std::string line = one.substr(0, one.size() - 4);
  EXPECT_EQ(line.find('\n'), std::string::npos);
  EXPECT_EQ(line.size(), 640u);  // no zero group in this data

  Bytes more = full;
  more.push_back(0x41);
  const std::string two = Encode(more, 0, 512);
  EXPECT_EQ(two.substr(0, 641), line + "\n");
  EXPECT_EQ(two.size(), 641u + 2 + 3);
  EXPECT_EQ(two.substr(643), "~>\n");
}

TEST(Ascii85Layout, DefaultLineIsTwentyGroups) {
  const std::string text = Encode(Bytes(81, 0x01), 0, 0);
  EXPECT_EQ(text.find('\n'), 100u);
  EXPECT_EQ(text.size(), 100u + 1 + 2 + 3);
  EXPECT_EQ(text.substr(0, 5), "!<E3%");  // 0x01010101
  EXPECT_EQ(text.substr(101), "!<~>\n");
}

TEST(Ascii85Layout, ContainerStrings) {
  const Bytes exact = RandomBytes(49152, 2);
  const std::string one = Encode(exact, 49152, 0);
  EXPECT_EQ(one.substr(0, 2), "<~");
  EXPECT_EQ(one.substr(one.size() - 3), "~>\n");
  EXPECT_EQ(one.find('\n'), one.size() - 1);
  EXPECT_EQ(one.find("~>"), one.size() - 3);

  Bytes twice = exact;
  twice.insert(twice.end(), exact.begin(), exact.end());
  EXPECT_EQ(Encode(twice, 49152, 0), one + one);

  Bytes plusOne = exact;
  plusOne.push_back(0);
  EXPECT_EQ(Encode(plusOne, 49152, 0), one + "<~!!~>\n");
}

TEST(Ascii85Layout, VirtualMemoryFileLines) {
  const Bytes exact = RandomBytes(49152, 3);
  const std::string text = Encode(exact, 0, 49152);
  EXPECT_NE(text.substr(0, 2), "<~");
  EXPECT_EQ(text.find('\n'), text.size() - 4);
  EXPECT_EQ(text.substr(text.size() - 4), "\n~>\n");
}

TEST(Ascii85Layout, LinesInsideBlocks) {
  // Two lines per string: only every second line end closes a string.
  const Bytes data = RandomBytes(40, 4);
  const std::string text = Encode(data, 16, 8);
  EXPECT_EQ(text, ReferenceAscii85(data, 16, 8));
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 6);
  EXPECT_EQ(text.substr(0, 2), "<~");
  EXPECT_EQ(text.substr(12, 1), "\n");
  EXPECT_EQ(text.substr(23, 5), "~>\n<~");
  EXPECT_EQ(text.substr(text.size() - 4), "\n~>\n");
}

TEST(Ascii85Layout, MatchesReferenceForSmallSizes) {
  for (std::size_t size = 0; size <= 600; ++size) {
    Bytes data = RandomBytes(size, static_cast<unsigned>(size));
    for (std::size_t i = 0; i + 8 <= size; i += 37) std::fill_n(data.begin() + i, 8, 0);
    for (auto [block, line] : {std::pair<std::size_t, std::size_t>{0, 512},
                               {0, 0},
                               {64, 0},
                               {64, 16},
                               {0, 48},
                               {3, 2}}) {
      ASSERT_EQ(Encode(data, block, line), ReferenceAscii85(data, block, line))
          << size << " bytes, block " << block << ", line " << line;
    }
  }
}

TEST(Ascii85RoundTrip, PythonDecodesLoadFileText) {
  PythonDecoder python;
  std::vector<Bytes> cases;
  for (std::size_t size : {1, 2, 3, 4, 5, 6, 7, 8, 9, 511, 512, 513}) {
    cases.push_back(RandomBytes(size, static_cast<unsigned>(size) + 100));
  }
  cases.push_back(RandomBytes(std::size_t{1} << 20, 7));
  Bytes zeros = RandomBytes(5000, 8);
  std::fill(zeros.begin() + 3, zeros.begin() + 1203, 0);  // unaligned run of zero bytes
  std::fill(zeros.begin() + 4000, zeros.end(), 0);        // ends in zeros
  cases.push_back(zeros);
  cases.push_back(Bytes(4097, 0));
  Bytes all(256);
  for (int i = 0; i < 256; ++i) all[i] = static_cast<unsigned char>(i);
  cases.push_back(all);
  for (const Bytes& data : cases) {
    EXPECT_EQ(python.Decode(Encode(data, 0, 512), false), data) << data.size() << " bytes";
  }
}

TEST(Ascii85RoundTrip, PythonDecodesContainerStrings) {
  PythonDecoder python;
  for (std::size_t size : {1, 9, 49151, 49152, 49153, 3 * 49152 + 2}) {
    Bytes data = RandomBytes(size, static_cast<unsigned>(size));
    if (size > 100) std::fill_n(data.begin() + 50, 60, 0);
    EXPECT_EQ(python.Decode(Encode(data, 49152, 0), true), data) << size << " bytes";
    EXPECT_EQ(python.Decode(Encode(data, 0, 49152), false), data) << size << " bytes";
  }
}

TEST(Ascii85RoundTrip, GhostscriptFilterDecodesLoadFileText) {
  std::vector<Bytes> cases;
  for (std::size_t size : {1, 2, 3, 4, 5, 9, 511, 512, 513}) {
    cases.push_back(RandomBytes(size, static_cast<unsigned>(size) + 200));
  }
  Bytes mixed = RandomBytes((std::size_t{1} << 20) + 2, 12);
  std::fill(mixed.begin() + 1000, mixed.begin() + 300000, 0);
  cases.push_back(mixed);
  Bytes all(256);
  for (int i = 0; i < 256; ++i) all[i] = static_cast<unsigned char>(i);
  cases.push_back(all);
  for (const Bytes& data : cases) {
    // Something after the "~>" marker must not be read as data.
    EXPECT_EQ(GhostscriptDecode(Encode(data, 0, 512) + "%%EOF\n", "ASCII85Decode"), data)
        << data.size() << " bytes";
  }
}

// Inputs of 1 MiB and more are cut into chunks of whole lines (about 256 KiB) that are encoded
// on several threads; the text must be the same as one pass from start to end.
TEST(Ascii85Parallel, SameTextAsOnePass) {
  constexpr std::size_t kMiB = std::size_t{1} << 20;
  constexpr std::size_t kChunk = std::size_t{256} << 10;
  for (std::size_t size :
       {kMiB - 1, kMiB, kMiB + 1, kMiB + 2, kMiB + 3, kMiB + 4, kMiB + 511, kMiB + 512, kMiB + 513,
        kMiB + kChunk - 1, kMiB + kChunk + 1, 3 * kMiB + 49153}) {
    Bytes data = RandomBytes(size, static_cast<unsigned>(size));
    // Zero runs across the chunk cuts shift every later offset.
    for (std::size_t cut = kChunk; cut < size; cut += kChunk) {
      std::fill(data.begin() + (cut - 1000), data.begin() + std::min(size, cut + 999), 0);
    }
    for (auto [block, line] : {std::pair<std::size_t, std::size_t>{0, 512},
                               {49152, 0},
                               {0, 49152},
                               {0, 0},
                               {49152, 512}}) {
      const std::string text = Encode(data, block, line);
      ASSERT_TRUE(text == ReferenceAscii85(data, block, line))
          << size << " bytes, block " << block << ", line " << line;
    }
  }
  const Bytes zeros(2 * kMiB + 8, 0);
  EXPECT_EQ(Encode(zeros, 0, 512), ReferenceAscii85(zeros, 0, 512));
}

TEST(Ascii85RoundTrip, PythonDecodesParallelText) {
  PythonDecoder python;
  Bytes data = RandomBytes((std::size_t{3} << 20) + 3, 11);
  std::fill(data.begin() + 262000, data.begin() + 263000, 0);
  EXPECT_EQ(python.Decode(Encode(data, 0, 512), false), data);
  EXPECT_EQ(python.Decode(Encode(data, 49152, 0), true), data);
}

// Every vector kernel this machine has gives the scalar kernel's text: for every count of groups
// around the step sizes, zero groups at each place of a step, whole zero steps and the digit
// boundaries. A kernel the machine lacks is skipped (the dispatcher never picks it).
TEST(Ascii85Kernels, VectorKernelsMatchScalar) {
  using trm::Ascii85Kernel;
  ASSERT_TRUE(trm::Ascii85KernelAvailable(Ascii85Kernel::kScalar));
  std::vector<Bytes> inputs;
  for (std::size_t groups = 0; groups <= 70; ++groups) {
    inputs.push_back(RandomBytes(4 * groups + groups % 4, static_cast<unsigned>(groups)));
  }
  // One zero group at each place of a 16-group step, inside and after a full step.
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
  for (std::size_t keep : {std::size_t{0}, std::size_t{15}, std::size_t{16}, std::size_t{31}}) {
    Bytes data(4 * 48, 0);
    data[4 * keep + 3] = 9;
    inputs.push_back(data);
  }
  // Values at the edges of every digit position, and the largest value.
  Bytes edges;
  for (std::uint64_t power = 1; power <= 85ull * 85 * 85 * 85; power *= 85) {
    for (std::uint64_t value : {power - 1, power, power + 1, 2 * power - 1}) {
      const auto v = static_cast<std::uint32_t>(value);
      edges.insert(edges.end(),
                   {static_cast<unsigned char>(v >> 24), static_cast<unsigned char>(v >> 16),
                    static_cast<unsigned char>(v >> 8), static_cast<unsigned char>(v)});
    }
  }
  for (int i = 0; i < 16; ++i) edges.insert(edges.end(), 4, 0xFF);
  inputs.push_back(edges);

  for (Ascii85Kernel kernel : {Ascii85Kernel::kAvx2, Ascii85Kernel::kAvx512}) {
    if (!trm::Ascii85KernelAvailable(kernel)) continue;
    for (const Bytes& data : inputs) {
      ASSERT_EQ(trm::EncodeAscii85Groups(data, kernel),
                trm::EncodeAscii85Groups(data, Ascii85Kernel::kScalar))
          << "kernel " << static_cast<int>(kernel) << ", " << data.size() << " bytes";
    }
  }
  // The scalar kernel itself against the naive reference, whose one line ends in LF "~>" LF.
  EXPECT_EQ(trm::EncodeAscii85Groups(edges, Ascii85Kernel::kScalar) + "\n~>\n",
            ReferenceAscii85(edges, 0, edges.size()));
}

}  // namespace
