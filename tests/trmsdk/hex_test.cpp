#include "encoding/hex.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
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

std::string Encode(const Bytes& data, std::size_t blockBytes, std::size_t lineBytes) {
  return trm::EncodeHex(data, blockBytes, lineBytes);
}

// python3's base64.b16decode on the digits, separators removed.
Bytes PythonDecode(const std::string& text) {
  const fs::path dir = fs::temp_directory_path() / ("hextest-" + std::to_string(getpid()));
  fs::create_directories(dir);
  const fs::path in = dir / "in.txt";
  const fs::path out = dir / "out.bin";
  std::ofstream(in, std::ios::binary) << text;
  const std::string command =
      "python3 -c \"import base64,sys; t=open(sys.argv[1],'rb').read(); "
      "open(sys.argv[2],'wb').write(base64.b16decode(t.translate(None, b'<>\\n')))\" '" +
      in.string() + "' '" + out.string() + "'";
  Bytes result;
  if (std::system(command.c_str()) == 0) {
    std::ifstream decoded(out, std::ios::binary);
    result.assign(std::istreambuf_iterator<char>(decoded), {});
  }
  std::error_code ignored;
  fs::remove_all(dir, ignored);
  return result;
}

TEST(HexLayout, LoadFileRecord) {
  EXPECT_EQ(Encode({0xAB, 0x0C, 0xEF}, 0, 512), "AB0CEF");
  EXPECT_EQ(Encode({0x00}, 0, 512), "00");
  EXPECT_EQ(Encode({}, 0, 512), "");

  const Bytes full = RandomBytes(512, 1);
  const std::string one = Encode(full, 0, 512);
  EXPECT_EQ(one.size(), 1024u);
  EXPECT_EQ(one.find('\n'), std::string::npos);

  Bytes more = full;
  more.push_back(0x5A);
  EXPECT_EQ(Encode(more, 0, 512), one + "\n5A");

  Bytes two = full;
  two.insert(two.end(), full.begin(), full.end());
  EXPECT_EQ(Encode(two, 0, 512), one + "\n" + one);
}

TEST(HexLayout, AllByteValuesUpperCase) {
  Bytes all(256);
  for (int i = 0; i < 256; ++i) all[i] = static_cast<unsigned char>(i);
  const std::string text = Encode(all, 0, 0);
  ASSERT_EQ(text.size(), 512u);
  EXPECT_EQ(text.substr(0, 8), "00010203");
  EXPECT_EQ(text.substr(2 * 0x9F, 6), "9FA0A1");
  EXPECT_EQ(text.substr(504), "FCFDFEFF");
  EXPECT_EQ(text.find_first_not_of("0123456789ABCDEF"), std::string::npos);
}

TEST(HexLayout, ContainerStrings) {
  const Bytes block = RandomBytes(49152, 2);
  const std::string one = Encode(block, 49152, 0);
  ASSERT_EQ(one.size(), 2u + 2 * 49152);
  EXPECT_EQ(one.front(), '<');
  EXPECT_EQ(one.back(), '>');
  EXPECT_EQ(one.find('\n'), std::string::npos);

  Bytes twice = block;
  twice.insert(twice.end(), block.begin(), block.end());
  EXPECT_EQ(Encode(twice, 49152, 0), one + "\n" + one);

  Bytes plusOne = block;
  plusOne.push_back(0x07);
  EXPECT_EQ(Encode(plusOne, 49152, 0), one.substr(0, one.size() - 1) + ">\n<07>");
  EXPECT_EQ(Encode({}, 49152, 0), "<>");
}

TEST(HexLayout, MatchesReferenceForSmallSizes) {
  for (std::size_t size = 0; size <= 300; ++size) {
    const Bytes data = RandomBytes(size, static_cast<unsigned>(size));
    for (auto [block, line] :
         {std::pair<std::size_t, std::size_t>{0, 512}, {0, 0}, {0, 7}, {16, 0}, {16, 4}, {6, 4}}) {
      ASSERT_EQ(Encode(data, block, line), ReferenceHex(data, block, line))
          << size << " bytes, block " << block << ", line " << line;
    }
  }
}

TEST(HexRoundTrip, PythonDecodes) {
  std::vector<Bytes> cases;
  for (std::size_t size : {1, 2, 3, 4, 5, 6, 7, 8, 9, 511, 512, 513}) {
    cases.push_back(RandomBytes(size, static_cast<unsigned>(size) + 50));
  }
  cases.push_back(RandomBytes((std::size_t{1} << 20) + 1, 5));
  Bytes zeros = RandomBytes(3000, 6);
  std::fill(zeros.begin() + 100, zeros.begin() + 2000, 0);
  cases.push_back(zeros);
  Bytes all(256);
  for (int i = 0; i < 256; ++i) all[i] = static_cast<unsigned char>(i);
  cases.push_back(all);
  for (const Bytes& data : cases) {
    EXPECT_EQ(PythonDecode(Encode(data, 0, 512)), data) << data.size() << " bytes";
    EXPECT_EQ(PythonDecode(Encode(data, 49152, 0)), data) << data.size() << " bytes";
  }
}

TEST(HexRoundTrip, GhostscriptFilterDecodesLoadFileText) {
  for (std::size_t size : {1, 3, 511, 512, 513, 100000}) {
    const Bytes data = RandomBytes(size, static_cast<unsigned>(size) + 300);
    // The filter needs an end marker, which the record itself does not carry.
    EXPECT_EQ(GhostscriptDecode(Encode(data, 0, 512) + ">\n", "ASCIIHexDecode"), data)
        << size << " bytes";
  }
}

// Inputs of 1 MiB and more are encoded in 256 KiB chunks on several threads.
TEST(HexParallel, SameTextAsOnePass) {
  constexpr std::size_t kMiB = std::size_t{1} << 20;
  constexpr std::size_t kChunk = std::size_t{256} << 10;
  for (std::size_t size : {kMiB - 1, kMiB, kMiB + 1, kMiB + 511, kMiB + 512, kMiB + 513,
                           kMiB + kChunk - 1, kMiB + kChunk + 1, 2 * kMiB + 49153}) {
    const Bytes data = RandomBytes(size, static_cast<unsigned>(size));
    for (auto [block, line] : {std::pair<std::size_t, std::size_t>{0, 512},
                               {49152, 0},
                               {0, 49152},
                               {0, 0},
                               {49152, 1000}}) {
      const std::string text = Encode(data, block, line);
      ASSERT_TRUE(text == ReferenceHex(data, block, line))
          << size << " bytes, block " << block << ", line " << line;
    }
  }
}

// The vector kernel gives the scalar kernel's digits for every length around its 32-byte step
// and for every byte value; skipped where the machine lacks it (the dispatcher never picks it).
TEST(HexKernels, VectorKernelMatchesScalar) {
  using trm::HexKernel;
  Bytes every(256);
  for (std::size_t i = 0; i < every.size(); ++i) every[i] = static_cast<unsigned char>(255 - i);
  EXPECT_EQ(trm::EncodeHexDigits(Bytes{0x00, 0x9F, 0xA0, 0xFF}, HexKernel::kScalar), "009FA0FF");
  if (!trm::HexKernelAvailable(HexKernel::kAvx2)) GTEST_SKIP() << "no AVX2 here";
  EXPECT_EQ(trm::EncodeHexDigits(every, HexKernel::kAvx2),
            trm::EncodeHexDigits(every, HexKernel::kScalar));
  for (std::size_t size = 0; size <= 100; ++size) {
    const Bytes data = RandomBytes(size, static_cast<unsigned>(size));
    ASSERT_EQ(trm::EncodeHexDigits(data, HexKernel::kAvx2),
              trm::EncodeHexDigits(data, HexKernel::kScalar))
        << size << " bytes";
  }
}

}  // namespace
