// Input: text, a NUL byte, pattern. Checks the matcher, and the generator's rules built on it
// (ASCII case folded, a name without wildcards equal to the other), against a slow reference
// on short inputs, and that the matcher never reads past either text.
#include <algorithm>
#include <optional>
#include <utility>

#include "fuzz_support.h"
#include "platform/ascii_case.h"
#include "platform/wild_match.h"
#include "stream/wildcard.h"

namespace {

// One pattern element: "*" (star), or the set of bytes one text byte may be ("?" is every
// byte, a literal one byte, "[...]" its ranges, "[^...]" the others).
struct Token {
  bool star = false;
  bool negate = false;
  std::vector<std::pair<unsigned char, unsigned char>> ranges;

  bool Matches(unsigned char c) const {
    bool found = false;
    for (const auto& [low, high] : ranges) found = found || (c >= low && c <= high);
    return found != negate;
  }
};

// Nothing when the pattern holds an unterminated set (it then never matches).
std::optional<std::vector<Token>> Tokenize(const std::string& p) {
  std::vector<Token> tokens;
  std::size_t i = 0;
  // One byte of the pattern, "\" quoting the next one; false at the end.
  auto next = [&](unsigned char& c) {
    if (i + 1 < p.size() && p[i] == '\\') ++i;
    if (i >= p.size()) return false;
    c = static_cast<unsigned char>(p[i++]);
    return true;
  };
  while (i < p.size()) {
    Token t;
    if (p[i] == '*' || p[i] == '?') {
      t.star = p[i] == '*';
      t.negate = true;  // "?": no byte is excluded
      ++i;
    } else if (p[i] != '[') {
      unsigned char c = 0;
      next(c);
      t.ranges.emplace_back(c, c);
    } else {
      ++i;
      t.negate = i < p.size() && p[i] == '^';
      i += t.negate ? 1 : 0;
      while (i >= p.size() || p[i] != ']') {
        unsigned char low = 0;
        if (!next(low)) return std::nullopt;
        unsigned char high = low;
        if (i + 1 < p.size() && p[i] == '-' && p[i + 1] != ']') {
          ++i;
          if (!next(high)) return std::nullopt;
        }
        t.ranges.emplace_back(low, high);
      }
      ++i;
    }
    tokens.push_back(std::move(t));
  }
  return tokens;
}

// Dynamic programming over (text position, pattern position): the same pattern language,
// written in a completely different way.
int Reference(const std::string& text, const std::string& pattern) {
  const std::optional<std::vector<Token>> tokens = Tokenize(pattern);
  if (!tokens) return 0;
  const std::size_t n = text.size();
  const std::size_t m = tokens->size();
  // can[i][j]: text from i matches tokens from j.
  std::vector<std::vector<char>> can(n + 1, std::vector<char>(m + 1, 0));
  can[n][m] = 1;
  for (std::size_t j = m; j-- > 0;) {
    const Token& t = (*tokens)[j];
    for (std::size_t i = n + 1; i-- > 0;) {
      if (t.star) {
        can[i][j] = can[i][j + 1] || (i < n && can[i + 1][j]);
      } else {
        can[i][j] = i < n && t.Matches(static_cast<unsigned char>(text[i])) && can[i + 1][j + 1];
      }
    }
  }
  return can[0][0] ? 1 : 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  const std::string_view input = fuzz::Text(data, size);
  const std::size_t split = std::min(input.find('\0'), size);
  const std::string a(input.substr(0, split));
  const std::string_view rest = input.substr(std::min(split + 1, size));
  const std::string b(rest.substr(0, rest.find('\0')));
  // Heap copies of exactly their size with the terminator, so any read past it is caught.
  const std::vector<char> text(a.c_str(), a.c_str() + a.size() + 1);
  const std::vector<char> pattern(b.c_str(), b.c_str() + b.size() + 1);

  const int result = platform::WildMatch(text.data(), pattern.data());
  fuzz::Check(result == 0 || result == 1);
  if (a.size() > 256 || b.size() > 256) return 0;
  fuzz::Check(result == Reference(a, b));
  const auto wild = [](const std::string& s) { return s.find_first_of("*?[]") != s.npos; };
  const std::string foldedA = platform::AsciiLower(a);
  const std::string foldedB = platform::AsciiLower(b);
  const bool covered = wild(foldedB) ? Reference(foldedA, foldedB) == 1 : foldedA == foldedB;
  fuzz::Check(trm::IsCoveredBy(a, b) == covered);
  fuzz::Check(wild(a) || trm::WildcardMatch(a, b) == covered);
  fuzz::Check((wild(a) && wild(b)) || trm::WildcardMatch(a, b) == trm::WildcardMatch(b, a));
  return 0;
}
