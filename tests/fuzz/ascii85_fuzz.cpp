// Input: two layout bytes, then data. The ASCII85 and hex texts must be exactly those of the
// naive reference, and every kernel this machine runs must write what the scalar one writes.
#include "encoding/ascii85.h"
#include "encoding/ascii85_kernels.h"
#include "encoding/cpu_dispatch.h"
#include "encoding/hex.h"
#include "encoding_reference.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  // Small layouts so that short inputs cross many line and block ends.
  const std::size_t block = data[0] % 4 == 0 ? 0 : 4 * (data[0] % 16);
  const std::size_t line = data[1] % 3 == 0 ? 0 : 4 * (data[1] % 8);
  const encoding_reference::Bytes input(data + 2, data + size);
  fuzz::Check(trm::EncodeAscii85(input, block, line) ==
              encoding_reference::Ascii85(input, block, line));
  fuzz::Check(trm::EncodeHex(input, block, line) == encoding_reference::Hex(input, block, line));

  const std::size_t groups = input.size() / 4;
  std::string scalar(5 * groups, '\0');
  std::string other(5 * groups, '\0');
  const char* end =
      trm::EncodeAscii85Groups(trm::Ascii85Kernel::kScalar, input.data(), groups, scalar.data());
  for (const auto kernel : {trm::Ascii85Kernel::kAvx2, trm::Ascii85Kernel::kAvx512}) {
    if (!trm::KernelAvailable(kernel)) continue;
    const char* otherEnd = trm::EncodeAscii85Groups(kernel, input.data(), groups, other.data());
    fuzz::Check(otherEnd - other.data() == end - scalar.data() && other == scalar);
  }
  return 0;
}
