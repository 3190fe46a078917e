// Byte-wise matching: the generator's wildcards and ASCII-only letter case.

#include "platform/wild_match.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/ascii_case.h"

namespace {

struct Case {
  const char* text;
  const char* pattern;
  int expected;
};

// The job generator's own rules: case counts; "*" crosses "/" and a trailing one takes the
// rest; "?" is exactly one byte; an empty pattern matches only the empty text; range bounds
// are inside, an inverted range holds nothing, "-" before "]" is a member, bytes above 127
// compare unsigned; only a leading "^" negates ("!" is a member); a set takes exactly one
// byte; an unterminated set never matches; "\" quotes, and a lone trailing one stands for
// itself.
// clang-format off
constexpr Case kCases[] = {
    {"a.ps", "a.ps", 1}, {"a.ps", "a.PS", 0}, {"a.ps", "a.p", 0}, {"a.p", "a.ps", 0},
    {"a.ps", "*.ps", 1}, {"a.ps", "*.PS", 0}, {".ps", "*.ps", 1}, {"a.ps.bak", "*.ps", 0},
    {"mtbc/formlib/x.ps", "mtbc/*", 1}, {"abcbcd", "a*bcd", 1}, {"abcbce", "a*bcd", 0},
    {"ab", "a**b", 1}, {"aXbYc", "a*b*c", 1}, {"aXbY", "a*b*c", 0}, {"abc", "a*", 1},
    {"a", "a*", 1}, {"a", "a***", 1}, {"anything at all", "*", 1}, {"", "*", 1}, {"b", "a*", 0},
    {"abc", "a?c", 1}, {"ac", "a?c", 0}, {"abbc", "a?c", 0}, {"", "?", 0}, {"ab", "??", 1},
    {"", "", 1}, {"a", "", 0}, {"", "a", 0}, {"b", "[abc]", 1}, {"d", "[abc]", 0},
    {"m", "[a-z]", 1}, {"a", "[a-z]", 1}, {"z", "[a-z]", 1}, {"M", "[a-z]", 0},
    {"5", "[0-37-9]", 0}, {"8", "[0-37-9]", 1}, {"file7.ps", "file[0-9].ps", 1},
    {"fileA.ps", "file[0-9].ps", 0}, {"-", "[a-]", 1}, {"b", "[a-]", 0}, {"b", "[z-a]", 0},
    {"\xE9", "[\xE0-\xEF]", 1}, {"d", "[^abc]", 1}, {"a", "[^abc]", 0}, {"5", "[^a-z]", 1},
    {"q", "[^a-z]", 0}, {"!", "[!abc]", 1}, {"a", "[!abc]", 1}, {"d", "[!abc]", 0},
    {"^", "[a^]", 1}, {"", "[a]", 0}, {"ab", "[a]", 0}, {"ab", "[a]b", 1}, {"x", "[]", 0},
    {"x", "[^]", 1}, {"a", "[a", 0}, {"a", "[a-", 0}, {"ab", "*[b", 0}, {"a\\", "[a\\", 0},
    {"*", "\\*", 1}, {"a", "\\*", 0}, {"?", "\\?", 1}, {"x", "\\?", 0}, {"[ab]", "\\[ab]", 1},
    {"a", "\\[ab]", 0}, {"\\", "\\\\", 1}, {"a", "\\a", 1}, {"file*.ps", "*\\*.ps", 1},
    {"file1.ps", "*\\*.ps", 0}, {"]", "[\\]]", 1}, {"-", "[a\\-z]", 1}, {"m", "[a\\-z]", 0},
    {"a\\", "a\\", 1}, {"a", "a\\", 0}, {nullptr, "*", 0}, {"a", nullptr, 0}
};
// clang-format on

TEST(WildMatch, Table) {
  for (const Case& c : kCases) {
    EXPECT_EQ(platform::WildMatch(c.text, c.pattern), c.expected)
        << (c.text ? c.text : "(null)") << " ~ " << (c.pattern ? c.pattern : "(null)");
  }
  // A "*" that cannot match stops the outer ones from trying further: no exponential search.
  const std::string text(60, 'a');
  const char* pattern = "*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b";
  EXPECT_EQ(platform::WildMatch(text.c_str(), pattern), 0);
  EXPECT_EQ(platform::WildMatch((text + "b").c_str(), pattern), 1);
}

TEST(AsciiCase, OnlyAsciiLettersFold) {
  // Latin-1 and UTF-8 bytes of letters stay as they are: a locale that folds them plays no part.
  const std::string mixed = "Az09_-@[`{~ \xC9\xE9\xC3\xA9\xFF";
  EXPECT_EQ(platform::AsciiLower(mixed), "az09_-@[`{~ \xC9\xE9\xC3\xA9\xFF");
  EXPECT_EQ(platform::AsciiUpper(mixed), "AZ09_-@[`{~ \xC9\xE9\xC3\xA9\xFF");
  EXPECT_EQ(platform::AsciiLower('Q'), 'q');
  EXPECT_EQ(platform::AsciiUpper('q'), 'Q');
  const struct {
    const char *a, *b;
    bool equal;
  } cases[] = {{"LaserJet PS", "laserjet ps", true},
               {"Printer", "Printers", false},
               {"a@", "A`", false},
               {"\xC9", "\xE9", false},  // É and é in Latin-1
               {"caf\xC3\xA9", "CAF\xC3\xA9", true},
               {"caf\xC3\xA9", "CAF\xC3\x89", false}};
  for (const auto& c : cases) {
    EXPECT_EQ(platform::EqualsIgnoringAsciiCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
    EXPECT_EQ(platform::EqualsIgnoringAsciiCase(c.b, c.a), c.equal) << c.b << " / " << c.a;
  }
}

}  // namespace
