// Input: text, a NUL byte, pattern. Checks the matcher against a slow reference on short
// inputs, and that it never reads past either text.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/file_layer.h"

namespace {

// Dynamic programming over (text position, pattern position): the same pattern language,
// written in a completely different way.
struct Token {
  enum Kind { kLiteral, kAny, kStar, kSet };
  explicit Token(Kind k) : kind(k) {}
  Kind kind;
  unsigned char literal = 0;
  bool negate = false;
  std::vector<std::pair<unsigned char, unsigned char>> ranges;
};

// False when the pattern holds an unterminated set (it then never matches).
bool Tokenize(const std::string& p, std::vector<Token>& out) {
  std::size_t i = 0;
  while (i < p.size()) {
    const unsigned char c = static_cast<unsigned char>(p[i]);
    if (c == '*') {
      out.emplace_back(Token::kStar);
      ++i;
    } else if (c == '?') {
      out.emplace_back(Token::kAny);
      ++i;
    } else if (c == '\\') {
      Token t(Token::kLiteral);
      t.literal = i + 1 < p.size() ? static_cast<unsigned char>(p[i + 1]) : '\\';
      i += i + 1 < p.size() ? 2 : 1;
      out.push_back(t);
    } else if (c == '[') {
      Token t(Token::kSet);
      ++i;
      if (i < p.size() && p[i] == '^') {
        t.negate = true;
        ++i;
      }
      auto member = [&](unsigned char& m) {
        if (i < p.size() && p[i] == '\\' && i + 1 < p.size()) ++i;
        if (i >= p.size()) return false;
        m = static_cast<unsigned char>(p[i++]);
        return true;
      };
      for (;;) {
        if (i >= p.size()) return false;
        if (p[i] == ']') {
          ++i;
          break;
        }
        unsigned char low = 0;
        if (!member(low)) return false;
        unsigned char high = low;
        if (i + 1 < p.size() && p[i] == '-' && p[i + 1] != ']') {
          ++i;
          if (!member(high)) return false;
        }
        t.ranges.emplace_back(low, high);
      }
      out.push_back(t);
    } else {
      Token t(Token::kLiteral);
      t.literal = c;
      out.push_back(t);
      ++i;
    }
  }
  return true;
}

bool TokenMatches(const Token& t, unsigned char c) {
  switch (t.kind) {
    case Token::kLiteral:
      return c == t.literal;
    case Token::kAny:
      return true;
    case Token::kSet: {
      bool found = false;
      for (const auto& [low, high] : t.ranges) found = found || (c >= low && c <= high);
      return found != t.negate;
    }
    case Token::kStar:
      break;
  }
  return false;
}

int Reference(const std::string& text, const std::string& pattern) {
  std::vector<Token> tokens;
  if (!Tokenize(pattern, tokens)) return 0;
  const std::size_t n = text.size();
  const std::size_t m = tokens.size();
  // can[i][j]: text from i matches tokens from j.
  std::vector<std::vector<char>> can(n + 1, std::vector<char>(m + 1, 0));
  can[n][m] = 1;
  for (std::size_t j = m; j-- > 0;) {
    for (std::size_t i = n + 1; i-- > 0;) {
      if (tokens[j].kind == Token::kStar) {
        can[i][j] = can[i][j + 1] || (i < n && can[i + 1][j]);
      } else {
        can[i][j] = i < n && TokenMatches(tokens[j], static_cast<unsigned char>(text[i])) &&
                    can[i + 1][j + 1];
      }
    }
  }
  return can[0][0] ? 1 : 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 4096) return 0;
  const auto* split = static_cast<const uint8_t*>(std::memchr(data, 0, size));
  const std::size_t textSize = split ? static_cast<std::size_t>(split - data) : size;
  // Exact-size heap copies, so that any read past a terminator is caught.
  const std::string text(reinterpret_cast<const char*>(data), textSize);
  std::string pattern;
  if (split) {
    const std::size_t rest = size - textSize - 1;
    const auto* end = static_cast<const uint8_t*>(std::memchr(split + 1, 0, rest));
    pattern.assign(reinterpret_cast<const char*>(split + 1),
                   end ? static_cast<std::size_t>(end - split - 1) : rest);
  }
  std::vector<char> textBuffer(text.begin(), text.end());
  textBuffer.push_back('\0');
  std::vector<char> patternBuffer(pattern.begin(), pattern.end());
  patternBuffer.push_back('\0');

  const int result = platform::WildMatch(textBuffer.data(), patternBuffer.data());
  if (result != 0 && result != 1) std::abort();
  if (text.size() <= 256 && pattern.size() <= 256 && result != Reference(text, pattern)) {
    std::abort();
  }
  return 0;
}
