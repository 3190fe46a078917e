#pragma once
// The ASCII85 digits of whole 4-byte groups, one kernel per instruction set: five characters
// for a group, "z" for a group of four zero bytes; no line ends, no markers.

#include <cstddef>
#include <cstdint>

namespace trm {

enum class Ascii85Kernel { kScalar, kAvx2, kAvx512 };

// Encodes `groups` groups from src to out with the kernel, which this machine must run (see
// cpu_dispatch.h); returns the end of what was written.
char* EncodeAscii85Groups(Ascii85Kernel kernel, const unsigned char* src, std::size_t groups,
                          char* out);

// How many of the groups are four zero bytes.
std::size_t CountZeroGroups(const unsigned char* src, std::size_t groups);

// The five digits of one group value, most significant first.
void WriteAscii85Digits(std::uint32_t value, char* out);

}  // namespace trm
