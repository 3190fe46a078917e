#include "encoding/cpu_dispatch.h"

#include <initializer_list>

namespace trm {
namespace {

struct CpuFeatures {
  bool avx2 = false;
  bool avx512 = false;  // F, BW and VBMI: what the ASCII85 kernel uses
};

const CpuFeatures& Features() {
  static const CpuFeatures features = [] {
    CpuFeatures found;
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
    __builtin_cpu_init();  // may run before the library's own start-up code
    found.avx2 = __builtin_cpu_supports("avx2");
    found.avx512 = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                   __builtin_cpu_supports("avx512vbmi");
#endif
    return found;
  }();
  return features;
}

}  // namespace

bool KernelAvailable(Ascii85Kernel kernel) {
  switch (kernel) {
    case Ascii85Kernel::kScalar:
      return true;
    case Ascii85Kernel::kAvx2:
      return Features().avx2;
    case Ascii85Kernel::kAvx512:
      return Features().avx512 && Features().avx2;  // its last groups go through the AVX2 kernel
  }
  return false;
}

bool KernelAvailable(HexKernel kernel) {
  return kernel == HexKernel::kScalar || Features().avx2;
}

Ascii85Kernel BestAscii85Kernel() {
  for (Ascii85Kernel kernel : {Ascii85Kernel::kAvx512, Ascii85Kernel::kAvx2}) {
    if (KernelAvailable(kernel)) return kernel;
  }
  return Ascii85Kernel::kScalar;
}

HexKernel BestHexKernel() {
  return KernelAvailable(HexKernel::kAvx2) ? HexKernel::kAvx2 : HexKernel::kScalar;
}

}  // namespace trm
