#pragma once
#include <cstddef>
#include <span>
#include <string>

#include "encoding/parallel_text.h"

namespace trm {

// ASCII85 as PostScript's ASCII85Decode reads it. blockBytes > 0 wraps every block of that many
// source bytes in "<~" ... "~>" strings; lineBytes > 0 ends a line after that many source bytes.
// Large inputs are encoded on several threads; the result is the same.
std::string EncodeAscii85(std::span<const unsigned char> data, std::size_t blockBytes,
                          std::size_t lineBytes);

// The same into an existing text, whose storage is reused: for encoding piece after piece.
void EncodeAscii85Into(std::span<const unsigned char> data, std::size_t blockBytes,
                       std::size_t lineBytes, std::string& text, Cores cores);

// The instruction sets the encoder picks from at run time, the best this machine has.
enum class Ascii85Kernel { kScalar, kAvx2, kAvx512 };

// Whether this machine can run the kernel.
bool Ascii85KernelAvailable(Ascii85Kernel kernel);

// The full 4-byte groups of data, without line ends or markers, by one kernel: for comparing
// the kernels. Empty when the kernel is not available here.
std::string EncodeAscii85Groups(std::span<const unsigned char> data, Ascii85Kernel kernel);

}  // namespace trm
