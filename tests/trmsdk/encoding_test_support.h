#pragma once
// Helpers of the encoder tests: test data, and decoding by Ghostscript's own filters.

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace trm_test {

using Bytes = std::vector<unsigned char>;

inline Bytes RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 random(seed);
  Bytes data(size);
  for (auto& byte : data) byte = static_cast<unsigned char>(random());
  return data;
}

// Runs the text through PostScript's own decoding filter in Ghostscript: the job reads its
// own remainder through `filter` and writes what comes out to a file.
inline Bytes GhostscriptDecode(const std::string& text, const std::string& filter) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("gsdecode-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  const std::filesystem::path job = dir / "job.ps";
  const std::filesystem::path out = dir / "out.bin";
  std::ofstream(job, std::ios::binary)
      << "/out (" << out.string() << ") (w) file def /buf 65535 string def\n"
      << "/in currentfile /" << filter << " filter def\n"
      << "{ { in buf readstring exch out exch writestring not { exit } if } loop out closefile } "
         "exec\n"
      << text;
  const std::string command =
      "gs -q -dSAFER -dBATCH -dNOPAUSE -dNODISPLAY '--permit-file-write=" + out.string() + "' '" +
      job.string() + "' >/dev/null 2>&1";
  Bytes result;
  if (std::system(command.c_str()) == 0) {
    std::ifstream decoded(out, std::ios::binary);
    result.assign(std::istreambuf_iterator<char>(decoded), {});
  }
  std::error_code ignored;
  std::filesystem::remove_all(dir, ignored);
  return result;
}

}  // namespace trm_test
