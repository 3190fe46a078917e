// Input: any bytes, taken as the text of a PostScript string and as a local path; the part
// before the first NUL and the part after it also serve as two names for the wildcard rules.
// Escaped strings are read back by a string-literal reader written here from the language
// rules, so any byte the printer would read differently is caught.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

#include "stream/printer_names.h"
#include "stream/ps_string.h"
#include "stream/wildcard.h"

namespace {

bool IsOctal(char c) {
  return c >= '0' && c <= '7';
}

// Reads a string literal that starts at literal[0] == '(' and returns its bytes, or nothing
// when the literal does not end exactly at the end of the text. Unescaped parentheses nest,
// an unescaped end of line (CR, LF or CR LF) reads as one LF, and "\" before anything but a
// known escape is dropped.
std::optional<std::string> ReadLiteral(std::string_view literal) {
  if (literal.empty() || literal.front() != '(') return std::nullopt;
  std::string bytes;
  int depth = 1;
  std::size_t i = 1;
  while (i < literal.size()) {
    const char c = literal[i++];
    if (c == '(') {
      ++depth;
      bytes.push_back(c);
    } else if (c == ')') {
      if (--depth == 0) break;
      bytes.push_back(c);
    } else if (c == '\r') {
      if (i < literal.size() && literal[i] == '\n') ++i;
      bytes.push_back('\n');
    } else if (c != '\\') {
      bytes.push_back(c);
    } else if (i == literal.size()) {
      return std::nullopt;
    } else {
      const char e = literal[i++];
      switch (e) {
        case 'n':
          bytes.push_back('\n');
          break;
        case 'r':
          bytes.push_back('\r');
          break;
        case 't':
          bytes.push_back('\t');
          break;
        case 'b':
          bytes.push_back('\b');
          break;
        case 'f':
          bytes.push_back('\f');
          break;
        case '\\':
        case '(':
        case ')':
          bytes.push_back(e);
          break;
        case '\r':
          if (i < literal.size() && literal[i] == '\n') ++i;
          break;
        case '\n':
          break;
        default:
          if (IsOctal(e)) {
            unsigned value = static_cast<unsigned>(e - '0');
            for (int n = 1; n < 3 && i < literal.size() && IsOctal(literal[i]); ++n) {
              value = value * 8 + static_cast<unsigned>(literal[i++] - '0');
            }
            bytes.push_back(static_cast<char>(value & 0xFF));
          }
          // Any other byte after "\" is read as itself, without the "\".
          else {
            bytes.push_back(e);
          }
      }
    }
  }
  if (depth != 0 || i != literal.size()) return std::nullopt;
  return bytes;
}

void CheckEscape(std::string_view text) {
  const std::string escaped = trm::EscapePsString(text);
  // Parentheses that are not escaped balance, and the body never closes the literal early.
  int depth = 0;
  for (std::size_t i = 0; i < escaped.size(); ++i) {
    const auto c = static_cast<unsigned char>(escaped[i]);
    if (c == '\\') {
      ++i;
      if (i == escaped.size()) std::abort();  // a lone "\" would quote the closing ")"
    } else if (c == '(') {
      ++depth;
    } else if (c == ')') {
      if (--depth < 0) std::abort();
    } else if (c < 0x20 || c == 0x7F) {
      std::abort();  // control bytes travel as octal escapes
    }
  }
  if (depth != 0) std::abort();

  const std::string literal = trm::PsString(text);
  if (literal != "(" + escaped + ")") std::abort();
  const std::optional<std::string> read = ReadLiteral(literal);
  if (!read || *read != text) std::abort();
}

// A header comment stays on its line: CR and LF become blanks, every other byte stays.
void CheckCommentField(std::string_view text) {
  const std::string field = trm::CommentField(text);
  if (field.size() != text.size()) std::abort();
  for (std::size_t i = 0; i < text.size(); ++i) {
    const bool lineEnd = text[i] == '\r' || text[i] == '\n';
    if (field[i] != (lineEnd ? ' ' : text[i])) std::abort();
  }
}

constexpr std::array<std::string_view, 6> kCustomerFolders{"mtbc/formlib/",  "mtbc/imglib/",
                                                           "mtbc/fontlib/",  "mtbc/jdtlib/",
                                                           "mtbc/encoding/", "mtbc/mislib/"};
constexpr std::array<std::string_view, 8> kLibraryFolders{"/formlib/",  "/imglib/", "/jdtlib/",
                                                          "/encoding/", "/mislib/", "/decomp/",
                                                          "/demo/",     "/fontlib/"};

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

void CheckPrinterName(std::string_view path) {
  const std::string name = trm::LocalToPrinterName(path);
  if (path.empty()) {
    if (!name.empty()) std::abort();
    return;
  }
  if (!StartsWith(name, "mtb/") && !StartsWith(name, "mtbc/")) std::abort();
  // Separators are "/" only, never doubled.
  if (name.find('\\') != std::string::npos || name.find("//") != std::string::npos) {
    std::abort();
  }
  // The file name itself is kept as it is.
  const std::size_t lastSeparator = path.find_last_of("/\\");
  const std::string_view base =
      lastSeparator == std::string_view::npos ? path : path.substr(lastSeparator + 1);
  if (name.size() < base.size() ||
      name.compare(name.size() - base.size(), base.size(), base) != 0) {
    std::abort();
  }

  std::string normal;
  for (char c : path) {
    if (c == '\\') c = '/';
    if (c != '/' || normal.empty() || normal.back() != '/') normal.push_back(c);
  }
  bool inLibrary = false;
  for (std::string_view library : kLibraryFolders) {
    inLibrary = inLibrary || normal.find(library) != std::string::npos;
  }
  if (!inLibrary) {
    // Straight into one customer folder.
    const std::string_view folder = std::string_view(name).substr(0, name.size() - base.size());
    bool known = false;
    for (std::string_view customer : kCustomerFolders) known = known || folder == customer;
    if (!known) std::abort();
    return;
  }
  // The path from one library folder on, under "mtb" for the demo folder, else "mtbc".
  const bool demo = StartsWith(name, "mtb/");
  const std::string_view tail = std::string_view(name).substr(demo ? 3 : 4);
  if (normal.size() < tail.size() ||
      normal.compare(normal.size() - tail.size(), tail.size(), tail) != 0) {
    std::abort();
  }
  bool fromLibrary = false;
  for (std::string_view library : kLibraryFolders) {
    fromLibrary = fromLibrary || (StartsWith(tail, library) && demo == (library == "/demo/"));
  }
  if (!fromLibrary) std::abort();
}

std::string Upper(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return upper;
}

bool HasWildcard(std::string_view text) {
  return text.find_first_of("*?[]") != std::string_view::npos;
}

void CheckWildcards(std::string_view a, std::string_view b) {
  const bool match = trm::WildcardMatch(a, b);
  // Symmetric while at most one side is a pattern (with two, the first one is).
  if ((!HasWildcard(a) || !HasWildcard(b)) && trm::WildcardMatch(b, a) != match) std::abort();
  if (trm::WildcardMatch(Upper(a), b) != match) std::abort();
  if (!HasWildcard(a) && !HasWildcard(b) && match != (Upper(a) == Upper(b))) std::abort();
  // An entry without wildcards covers only the same name; a name covers itself.
  if (!HasWildcard(b) && trm::IsCoveredBy(a, b) != (Upper(a) == Upper(b))) std::abort();
  if (!HasWildcard(a) && !trm::IsCoveredBy(a, Upper(a))) std::abort();
  // A pattern that covers a name also matches it.
  if (!HasWildcard(a) && trm::IsCoveredBy(a, b) != trm::WildcardMatch(a, b)) std::abort();

  bool all = true;
  for (char c : a) all = all && (c == '*' || c == '/' || c == '\\' || c == '.');
  if (trm::IsAllPattern(a) != all) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  CheckEscape(input);
  CheckCommentField(input);
  CheckPrinterName(input);
  // Names never hold NUL; the matcher's run time grows fast with length, so keep them short.
  const std::size_t nul = input.find('\0');
  if (nul != std::string_view::npos && size <= 128) {
    const std::string_view rest = input.substr(nul + 1);
    if (rest.find('\0') == std::string_view::npos) CheckWildcards(input.substr(0, nul), rest);
  }
  return 0;
}
