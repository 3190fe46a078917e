#pragma once
// What the fuzz targets share: the input as text, a hard stop that the fuzzer reports, and a
// private folder for the parsers that read files.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace fuzz {

namespace fs = std::filesystem;

inline std::string_view Text(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// A broken rule ends the run, so that the fuzzer keeps the input.
inline void Check(bool ok, const char* what = "rule broken", const char* detail = "") {
  if (ok) return;
  std::fprintf(stderr, "%s %s\n", what, detail);
  std::abort();
}

inline std::uint32_t LittleEndian32(const std::uint8_t* at) {
  return at[0] | (at[1] << 8) | (at[2] << 16) | (static_cast<std::uint32_t>(at[3]) << 24);
}

// This process's folder in the temporary folder, removed with everything in it at exit.
inline const fs::path& PrivateFolder() {
  static const fs::path folder = [] {
    const fs::path path = fs::temp_directory_path() / ("km-fuzz-" + std::to_string(getpid()));
    fs::create_directories(path);
    return path;
  }();
  // Registered after the path exists, so it runs before the path is destroyed.
  static const bool removedAtExit = std::atexit([] {
                                      std::error_code ignored;
                                      fs::remove_all(PrivateFolder(), ignored);
                                    }) == 0;
  Check(removedAtExit, "no exit handler");
  return folder;
}

inline void WriteFile(const fs::path& path, std::string_view bytes) {
  std::FILE* out = std::fopen(path.c_str(), "wb");
  Check(out != nullptr, "cannot open", path.c_str());
  const bool written = std::fwrite(bytes.data(), 1, bytes.size(), out) == bytes.size();
  Check(std::fclose(out) == 0 && written, "cannot write", path.c_str());
}

}  // namespace fuzz
