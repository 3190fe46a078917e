#pragma once
// Two upper-case hexadecimal digits per byte, one kernel per instruction set.

#include <cstddef>

namespace trm {

enum class HexKernel { kScalar, kAvx2 };

// Encodes count bytes from src to out with the kernel, which this machine must run (see
// cpu_dispatch.h); returns the end of what was written.
char* EncodeHexDigits(HexKernel kernel, const unsigned char* src, std::size_t count, char* out);

}  // namespace trm
