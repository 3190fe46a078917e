#pragma once
#include <cstddef>
#include <span>
#include <string>

#include "encoding/parallel_text.h"

namespace trm {

// Two upper-case digits per byte; blockBytes > 0 gives "<...>" strings joined by ">\n<",
// lineBytes > 0 an LF after every that many bytes except after the last.
std::string EncodeHex(std::span<const unsigned char> data, std::size_t blockBytes,
                      std::size_t lineBytes);

// The same into an existing text, whose storage is reused: for encoding piece after piece.
void EncodeHexInto(std::span<const unsigned char> data, std::size_t blockBytes,
                   std::size_t lineBytes, std::string& text, Cores cores);

// The instruction sets the encoder picks from at run time, the best this machine has.
enum class HexKernel { kScalar, kAvx2 };

// Whether this machine can run the kernel.
bool HexKernelAvailable(HexKernel kernel);

// Two digits per byte, without line ends or brackets, by one kernel: for comparing the kernels.
// Empty when the kernel is not available here.
std::string EncodeHexDigits(std::span<const unsigned char> data, HexKernel kernel);

}  // namespace trm
