// Encodes a file the way a load_file record of a large file does, for comparison with other
// tools: piece after piece into storage kept from piece to piece, each piece written out.
//   encode_file make-data SIZE OUT          writes SIZE bytes of mixed benchmark data
//   encode_file ascii85|hex IN OUT
// Prints the encoding time alone (reading and writing excluded) on standard error.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "encoding/load_record.h"
#include "mixed_data.h"

namespace {

int Usage() {
  std::fputs("usage: encode_file make-data SIZE OUT | encode_file ascii85|hex IN OUT\n", stderr);
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

  std::FILE* out = std::fopen(argv[3], "wb");
  if (out == nullptr) return 1;
  bool written = true;
  std::string text;
  std::chrono::steady_clock::duration encoding{};
  for (std::size_t at = 0; at < size; at += trm::kStreamPieceBytes) {
    const std::span<const unsigned char> piece(buffer.get() + at,
                                               std::min(trm::kStreamPieceBytes, size - at));
    const auto start = std::chrono::steady_clock::now();
    trm::EncodeRecordPiece(piece, command == "hex", at + piece.size() == size, text);
    encoding += std::chrono::steady_clock::now() - start;
    written = written && std::fwrite(text.data(), 1, text.size(), out) == text.size();
  }
  written = std::fclose(out) == 0 && written;
  const double seconds = std::chrono::duration<double>(encoding).count();
  std::fprintf(stderr, "%s: %zu bytes in %.1f ms (%.0f MB/s)\n", command.c_str(), size,
               seconds * 1e3, size / seconds / 1e6);
  return written ? 0 : 1;
}
