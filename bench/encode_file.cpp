// Encodes a file the way a load_file record does, for comparison with other tools:
//   encode_file make-data SIZE OUT          writes SIZE bytes of mixed benchmark data
//   encode_file ascii85|hex IN OUT [BLOCK LINE]
// Prints the encoding time alone (reading and writing excluded) on standard error.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "encoding/ascii85.h"
#include "encoding/hex.h"
#include "mixed_data.h"

namespace {

int Usage() {
  std::fputs(
      "usage: encode_file make-data SIZE OUT | encode_file ascii85|hex IN OUT [BLOCK LINE]\n",
      stderr);
  return 2;
}

bool WriteAll(const char* path, const void* data, std::size_t size) {
  std::FILE* file = std::fopen(path, "wb");
  if (file == nullptr) return false;
  const bool ok = std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) return Usage();
  const std::string command = argv[1];
  if (command == "make-data") {
    const auto data = bench::MakeMixedData(std::strtoull(argv[2], nullptr, 10));
    return WriteAll(argv[3], data.data(), data.size()) ? 0 : 1;
  }
  if (command != "ascii85" && command != "hex") return Usage();
  const std::size_t block = argc > 4 ? std::strtoull(argv[4], nullptr, 10) : 0;
  const std::size_t line = argc > 5 ? std::strtoull(argv[5], nullptr, 10) : 512;

  // Read into uninitialised memory, the way a program that loads whole files should.
  std::FILE* in = std::fopen(argv[2], "rb");
  if (in == nullptr || std::fseek(in, 0, SEEK_END) != 0) return 1;
  const long length = std::ftell(in);
  std::rewind(in);
  if (length < 0) return 1;
  const std::size_t size = static_cast<std::size_t>(length);
  const std::unique_ptr<unsigned char[]> buffer(new unsigned char[size > 0 ? size : 1]);
  const bool read = std::fread(buffer.get(), 1, size, in) == size;
  std::fclose(in);
  if (!read) return 1;
  const std::span<const unsigned char> data(buffer.get(), size);

  const auto start = std::chrono::steady_clock::now();
  const std::string text = command == "ascii85" ? trm::EncodeAscii85(data, block, line)
                                                : trm::EncodeHex(data, block, line);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::fprintf(stderr, "%s: %zu bytes -> %zu chars in %.1f ms (%.0f MB/s)\n", command.c_str(),
               data.size(), text.size(), seconds * 1e3, data.size() / seconds / 1e6);
  return WriteAll(argv[3], text.data(), text.size()) ? 0 : 1;
}
