// Input: one byte for the tail's limit, then the bytes a job printed. The printed bytes go to
// an output tail in pieces whose sizes are read from the bytes themselves; after every piece
// the tail must hold exactly the last bytes up to the limit and count every byte. The whole
// input is also made terminal text, which must hold nothing a terminal acts on and decode back
// to the input exactly.
#include <algorithm>

#include "fuzz_support.h"
#include "output_tail.h"

namespace {

bool StaysAsIs(unsigned char c) {
  return (c >= 0x20 && c < 0x7F && c != '\\') || c == '\n' || c == '\t';
}

// Undoes "\\" and "\xHH"; any other escape, or one that hides a byte that could have stayed
// as it is, traps.
std::string Decode(std::string_view text) {
  std::string bytes;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      bytes.push_back(text[i]);
      continue;
    }
    if (i + 1 < text.size() && text[i + 1] == '\\') {
      bytes.push_back('\\');
      ++i;
      continue;
    }
    fuzz::Check(i + 3 < text.size() && text[i + 1] == 'x');
    constexpr std::string_view kDigits = "0123456789ABCDEF0123456789abcdef";
    const std::size_t high = kDigits.find(text[i + 2]);
    const std::size_t low = kDigits.find(text[i + 3]);
    fuzz::Check(high != std::string_view::npos && low != std::string_view::npos);
    const auto value = static_cast<unsigned char>((high % 16) * 16 + low % 16);
    fuzz::Check(!StaysAsIs(value));
    bytes.push_back(static_cast<char>(value));
    i += 3;
  }
  return bytes;
}

void CheckTerminalText(std::string_view printed) {
  const std::string text = kmsim::TerminalText(printed);
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    fuzz::Check((c >= 0x20 || c == '\n' || c == '\t') && c < 0x7F);
  }
  fuzz::Check(Decode(text) == printed);
}

void CheckTail(std::size_t limit, std::string_view printed) {
  kmsim::OutputTail tail(limit);
  std::size_t done = 0;
  while (done < printed.size()) {
    std::size_t piece = static_cast<unsigned char>(printed[done]);
    // An empty write must change nothing; the piece after it takes at least one byte.
    if (piece == 0) tail.Append({});
    piece = std::min(std::max<std::size_t>(piece, 1), printed.size() - done);
    tail.Append(printed.substr(done, piece));
    done += piece;

    const std::size_t kept = std::min(limit, done);
    fuzz::Check(tail.Total() == done && tail.Text() == printed.substr(done - kept, kept));
  }
  fuzz::Check(tail.Total() == printed.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view input = fuzz::Text(data, size);
  CheckTerminalText(input);
  // Limits below the usual piece sizes too, so that both whole-piece replacement and the
  // batched trimming are reached.
  CheckTail(static_cast<unsigned char>(data[0]) % 160, input.substr(1));
  return 0;
}
