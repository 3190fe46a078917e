#pragma once
// Which encoder kernels this machine can run, and the fastest of them.

#include "encoding/ascii85_kernels.h"
#include "encoding/hex_kernels.h"

namespace trm {

bool KernelAvailable(Ascii85Kernel kernel);
bool KernelAvailable(HexKernel kernel);

// The kernel the encoders use: the fastest this machine can run.
Ascii85Kernel BestAscii85Kernel();
HexKernel BestHexKernel();

}  // namespace trm
