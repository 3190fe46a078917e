// Encoding throughput of the job encoders, in source bytes per second.
#include <benchmark/benchmark.h>

#include <algorithm>

#include "encoding/ascii85.h"
#include "encoding/ascii85_kernels.h"
#include "encoding/cpu_dispatch.h"
#include "encoding/hex.h"
#include "encoding/hex_kernels.h"
#include "mixed_data.h"

namespace {

const std::vector<unsigned char>& AllData() {
  static const std::vector<unsigned char> data = bench::MakeMixedData(std::size_t{128} << 20);
  return data;
}

template <std::string (*Encode)(std::span<const unsigned char>, std::size_t, std::size_t)>
void BM_Encode(benchmark::State& state) {
  const std::size_t size = static_cast<std::size_t>(state.range(0));
  const std::size_t block = static_cast<std::size_t>(state.range(1));
  const std::size_t line = static_cast<std::size_t>(state.range(2));
  const std::span<const unsigned char> input(AllData().data(), size);
  for (auto _ : state) {
    std::string text = Encode(input, block, line);
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

// Sizes: one small file, 16 MiB and 128 MiB (the largest file).
// Layouts: load_file records (0, 512), container strings (49152, 0), container files (0, 49152).
void Args(benchmark::internal::Benchmark* b) {
  for (long size : {64L << 10, 16L << 20, 128L << 20}) b->Args({size, 0, 512});
  b->Args({16L << 20, 49152, 0});
  b->Args({16L << 20, 0, 49152});
  b->ArgNames({"bytes", "block", "line"})->UseRealTime()->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_Encode<trm::EncodeAscii85>)->Name("Ascii85")->Apply(Args);
BENCHMARK(BM_Encode<trm::EncodeHex>)->Name("Hex")->Apply(Args);

// One kernel alone over the 128 MiB, in the 256 KiB pieces a streamed record encodes, into
// storage kept from piece to piece.
template <typename Kernel, std::size_t kCharsPerByte, auto Run>
void BM_Kernel(benchmark::State& state) {
  const auto kernel = static_cast<Kernel>(state.range(0));
  if (!trm::KernelAvailable(kernel)) {
    state.SkipWithError("this machine cannot run the kernel");
    return;
  }
  constexpr std::size_t kPiece = std::size_t{256} << 10;
  const auto& data = AllData();
  std::string text(kCharsPerByte * kPiece, '\0');
  for (auto _ : state) {
    for (std::size_t at = 0; at < data.size(); at += kPiece) {
      benchmark::DoNotOptimize(
          Run(kernel, data.data() + at, std::min(kPiece, data.size() - at), text.data()));
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * data.size()));
}

char* Ascii85Groups(trm::Ascii85Kernel kernel, const unsigned char* src, std::size_t bytes,
                    char* out) {
  return trm::EncodeAscii85Groups(kernel, src, bytes / 4, out);
}

BENCHMARK(BM_Kernel<trm::Ascii85Kernel, 2, Ascii85Groups>)
    ->Name("Ascii85Kernel")
    ->ArgName("kernel")
    ->DenseRange(0, 2)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Kernel<trm::HexKernel, 2, trm::EncodeHexDigits>)
    ->Name("HexKernel")
    ->ArgName("kernel")
    ->DenseRange(0, 1)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
