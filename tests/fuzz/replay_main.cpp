// Runs a fuzz target once on every file of its seed corpus, so that the targets build and
// pass with the normal compiler in every test run, not only in a clang fuzzing build.

#include <fstream>
#include <iterator>

#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);
// Optional, as with libFuzzer.
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s CORPUS_FOLDER\n", argv[0]);
    return 2;
  }
  if (LLVMFuzzerInitialize && LLVMFuzzerInitialize(&argc, &argv) != 0) return 1;
  std::error_code ec;
  std::size_t replayed = 0;
  for (const auto& entry : std::filesystem::directory_iterator(argv[1], ec)) {
    if (!entry.is_regular_file()) continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), {}};
    if (!in.good() && !in.eof()) {
      std::fprintf(stderr, "%s: cannot read %s\n", argv[0], entry.path().c_str());
      return 1;
    }
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    ++replayed;
  }
  if (ec || replayed == 0) {
    std::fprintf(stderr, "%s: no seed inputs in %s\n", argv[0], argv[1]);
    return 1;
  }
  std::printf("%zu inputs replayed\n", replayed);
  return 0;
}
