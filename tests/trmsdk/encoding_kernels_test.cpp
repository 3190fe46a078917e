// Every ASCII85 and hex kernel this machine runs against the reference, the scalar ones
// always. A kernel this machine cannot run is named in the output.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "encoding/ascii85_kernels.h"
#include "encoding/cpu_dispatch.h"
#include "encoding/hex_kernels.h"
#include "encoding_reference.h"
#include "random_bytes.h"

namespace {

using encoding_reference::Bytes;

Bytes RandomBytes(std::size_t size, unsigned seed) {
  const std::string text = km_test::RandomBytes(size, seed);
  return Bytes(text.begin(), text.end());
}

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

}  // namespace
