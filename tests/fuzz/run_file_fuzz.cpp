// Input: run file text. Scans it as the install job does and checks that every file found is
// taken from the text as written: a string of the input, never more.
#include "fuzz_support.h"
#include "interpreter/run_file_scanner.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = fuzz::Text(data, size);
  // The text as the scanner sees it: every line ends in one blank.
  std::string lines;
  bool inLine = false;
  for (char c : text) {
    const bool lineEnd = c == '\r' || c == '\n';
    if (lineEnd && inLine) lines += ' ';
    if (!lineEnd) lines += c;
    inLine = !lineEnd;
  }
  lines += ' ';
  for (std::string_view keyword : {"run", "/run"}) {
    trm::RunFileScanner scanner({keyword, true, false});
    scanner.Feed(text);
    for (const std::string& file : scanner.Result().files) {
      fuzz::Check(lines.find(file) != std::string::npos);
    }
  }
  return 0;
}
