// Encoding throughput of the job encoders, in source bytes per second.
#include <benchmark/benchmark.h>

#include "encoding/ascii85.h"
#include "encoding/hex.h"
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

// Sizes: one small file (single-threaded path), 16 MiB and 128 MiB (the largest file).
// Layouts: load_file records (0, 512), container strings (49152, 0), container files (0, 49152).
void Args(benchmark::internal::Benchmark* b) {
  for (long size : {64L << 10, 16L << 20, 128L << 20}) b->Args({size, 0, 512});
  b->Args({16L << 20, 49152, 0});
  b->Args({16L << 20, 0, 49152});
  b->ArgNames({"bytes", "block", "line"})->UseRealTime()->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_Encode<trm::EncodeAscii85>)->Name("Ascii85")->Apply(Args);
BENCHMARK(BM_Encode<trm::EncodeHex>)->Name("Hex")->Apply(Args);

}  // namespace

BENCHMARK_MAIN();
