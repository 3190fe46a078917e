// Input: any bytes, taken as the text of a PostScript string, a header comment and a local path.
// Escaped strings are read back by a string-literal reader written here from the language
// rules, so any byte the printer would read differently is caught.
#include <optional>

#include "fuzz_support.h"
#include "stream/printer_names.h"
#include "stream/ps_string.h"

namespace {

// Reads a string literal that starts at literal[0] == '(' and returns its bytes, or nothing
// when the literal does not end exactly at the end of the text. Unescaped parentheses nest and
// "\" before anything but a known escape is dropped. Line ends, which read differently, are
// refused before it runs.
std::optional<std::string> ReadLiteral(std::string_view literal) {
  const auto isOctal = [](char c) { return c >= '0' && c <= '7'; };
  if (literal.empty() || literal.front() != '(') return std::nullopt;
  std::string bytes;
  int depth = 1;
  std::size_t i = 1;
  while (i < literal.size()) {
    const char c = literal[i++];
    if (c != '\\') {
      depth += c == '(' ? 1 : c == ')' ? -1 : 0;
      if (depth == 0) break;
      bytes.push_back(c);
    } else if (i == literal.size()) {
      return std::nullopt;
    } else {
      const char e = literal[i++];
      constexpr std::string_view kEscapes = "n\nr\rt\tb\bf\f\\\\((())";
      const std::size_t known = kEscapes.find(e);
      if (known != std::string_view::npos && known % 2 == 0) {
        bytes.push_back(kEscapes[known + 1]);
      } else if (isOctal(e)) {
        unsigned value = static_cast<unsigned>(e - '0');
        for (int n = 1; n < 3 && i < literal.size() && isOctal(literal[i]); ++n) {
          value = value * 8 + static_cast<unsigned>(literal[i++] - '0');
        }
        bytes.push_back(static_cast<char>(value & 0xFF));
      } else {
        bytes.push_back(e);  // any other byte after "\" is read as itself
      }
    }
  }
  if (depth != 0 || i != literal.size()) return std::nullopt;
  return bytes;
}

void CheckEscape(std::string_view text) {
  const std::string escaped = trm::EscapePsString(text);
  // Control bytes travel as octal escapes, so the literal stays on one line.
  for (const char c : escaped) fuzz::Check(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
  const std::string literal = trm::PsString(text);
  fuzz::Check(literal == "(" + escaped + ")");
  // Read back as the printer reads it, the literal ends exactly at its last ")".
  fuzz::Check(ReadLiteral(literal) == std::optional<std::string>(text));
}

// A header comment stays on its line: CR and LF become blanks, every other byte stays.
void CheckCommentField(std::string_view text) {
  const std::string field = trm::CommentField(text);
  fuzz::Check(field.size() == text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    fuzz::Check(field[i] == (text[i] == '\r' || text[i] == '\n' ? ' ' : text[i]));
  }
}

// A printer name is a relative name under one of the two printer folders, with single "/"
// separators, and ends with the local file's own name.
void CheckPrinterName(std::string_view path) {
  const std::string name = trm::LocalToPrinterName(path);
  fuzz::Check(path.empty() == name.empty());
  if (path.empty()) return;
  fuzz::Check((name.starts_with("mtb/") || name.starts_with("mtbc/")) &&
              name.find('\\') == std::string::npos && name.find("//") == std::string::npos);
  const std::size_t lastSeparator = path.find_last_of("/\\");
  const std::string_view base =
      lastSeparator == std::string_view::npos ? path : path.substr(lastSeparator + 1);
  fuzz::Check(std::string_view(name).ends_with(base));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input = fuzz::Text(data, size);
  CheckEscape(input);
  CheckCommentField(input);
  CheckPrinterName(input);
  return 0;
}
