#include <gtest/gtest.h>

#include "platform/file_layer.h"

namespace {

using platform::WildMatch;

TEST(WildMatch, LiteralsCountCase) {
  EXPECT_EQ(WildMatch("a.ps", "a.ps"), 1);
  EXPECT_EQ(WildMatch("a.ps", "a.PS"), 0);
  EXPECT_EQ(WildMatch("a.ps", "a.p"), 0);
  EXPECT_EQ(WildMatch("a.p", "a.ps"), 0);
}

TEST(WildMatch, Star) {
  EXPECT_EQ(WildMatch("a.ps", "*.ps"), 1);
  EXPECT_EQ(WildMatch("a.ps", "*.PS"), 0);
  EXPECT_EQ(WildMatch(".ps", "*.ps"), 1);
  EXPECT_EQ(WildMatch("a.ps.bak", "*.ps"), 0);
  EXPECT_EQ(WildMatch("mtbc/formlib/x.ps", "mtbc/*"), 1);  // "*" also crosses "/"
  EXPECT_EQ(WildMatch("abcbcd", "a*bcd"), 1);
  EXPECT_EQ(WildMatch("abcbce", "a*bcd"), 0);
  EXPECT_EQ(WildMatch("ab", "a**b"), 1);
  EXPECT_EQ(WildMatch("aXbYc", "a*b*c"), 1);
  EXPECT_EQ(WildMatch("aXbY", "a*b*c"), 0);
}

TEST(WildMatch, TrailingStarTakesTheRest) {
  EXPECT_EQ(WildMatch("abc", "a*"), 1);
  EXPECT_EQ(WildMatch("a", "a*"), 1);
  EXPECT_EQ(WildMatch("a", "a***"), 1);
  EXPECT_EQ(WildMatch("", "*"), 1);
  EXPECT_EQ(WildMatch("anything at all", "*"), 1);
  EXPECT_EQ(WildMatch("b", "a*"), 0);
}

TEST(WildMatch, QuestionMarkIsExactlyOneCharacter) {
  EXPECT_EQ(WildMatch("abc", "a?c"), 1);
  EXPECT_EQ(WildMatch("ac", "a?c"), 0);
  EXPECT_EQ(WildMatch("abbc", "a?c"), 0);
  EXPECT_EQ(WildMatch("", "?"), 0);
  EXPECT_EQ(WildMatch("ab", "??"), 1);
}

TEST(WildMatch, EmptyPatternMatchesOnlyEmptyText) {
  EXPECT_EQ(WildMatch("", ""), 1);
  EXPECT_EQ(WildMatch("a", ""), 0);
  EXPECT_EQ(WildMatch("", "a"), 0);
}

TEST(WildMatch, SetsAndRanges) {
  EXPECT_EQ(WildMatch("b", "[abc]"), 1);
  EXPECT_EQ(WildMatch("d", "[abc]"), 0);
  EXPECT_EQ(WildMatch("m", "[a-z]"), 1);
  EXPECT_EQ(WildMatch("a", "[a-z]"), 1);  // bounds are inside
  EXPECT_EQ(WildMatch("z", "[a-z]"), 1);
  EXPECT_EQ(WildMatch("M", "[a-z]"), 0);
  EXPECT_EQ(WildMatch("5", "[0-37-9]"), 0);
  EXPECT_EQ(WildMatch("8", "[0-37-9]"), 1);
  EXPECT_EQ(WildMatch("file7.ps", "file[0-9].ps"), 1);
  EXPECT_EQ(WildMatch("fileA.ps", "file[0-9].ps"), 0);
  EXPECT_EQ(WildMatch("-", "[a-]"), 1);  // "-" before "]" is a member
  EXPECT_EQ(WildMatch("b", "[a-]"), 0);
  EXPECT_EQ(WildMatch("b", "[z-a]"), 0);           // an inverted range holds nothing
  EXPECT_EQ(WildMatch("\xE9", "[\xE0-\xEF]"), 1);  // bytes above 127 compare unsigned
}

TEST(WildMatch, OnlyCaretNegates) {
  EXPECT_EQ(WildMatch("d", "[^abc]"), 1);
  EXPECT_EQ(WildMatch("a", "[^abc]"), 0);
  EXPECT_EQ(WildMatch("5", "[^a-z]"), 1);
  EXPECT_EQ(WildMatch("q", "[^a-z]"), 0);
  EXPECT_EQ(WildMatch("!", "[!abc]"), 1);
  EXPECT_EQ(WildMatch("a", "[!abc]"), 1);
  EXPECT_EQ(WildMatch("d", "[!abc]"), 0);
  EXPECT_EQ(WildMatch("^", "[a^]"), 1);  // not leading: a member
}

TEST(WildMatch, SetConsumesExactlyOneCharacter) {
  EXPECT_EQ(WildMatch("", "[a]"), 0);
  EXPECT_EQ(WildMatch("ab", "[a]"), 0);
  EXPECT_EQ(WildMatch("ab", "[a]b"), 1);
  EXPECT_EQ(WildMatch("x", "[]"), 0);
  EXPECT_EQ(WildMatch("x", "[^]"), 1);
}

TEST(WildMatch, UnterminatedSetNeverMatches) {
  EXPECT_EQ(WildMatch("a", "[a"), 0);
  EXPECT_EQ(WildMatch("a", "[a-"), 0);
  EXPECT_EQ(WildMatch("ab", "*[b"), 0);
  EXPECT_EQ(WildMatch("a\\", "[a\\"), 0);
}

TEST(WildMatch, BackslashQuotes) {
  EXPECT_EQ(WildMatch("*", "\\*"), 1);
  EXPECT_EQ(WildMatch("a", "\\*"), 0);
  EXPECT_EQ(WildMatch("?", "\\?"), 1);
  EXPECT_EQ(WildMatch("x", "\\?"), 0);
  EXPECT_EQ(WildMatch("[ab]", "\\[ab]"), 1);
  EXPECT_EQ(WildMatch("a", "\\[ab]"), 0);
  EXPECT_EQ(WildMatch("\\", "\\\\"), 1);
  EXPECT_EQ(WildMatch("a", "\\a"), 1);
  EXPECT_EQ(WildMatch("file*.ps", "*\\*.ps"), 1);
  EXPECT_EQ(WildMatch("file1.ps", "*\\*.ps"), 0);
  EXPECT_EQ(WildMatch("]", "[\\]]"), 1);
  EXPECT_EQ(WildMatch("-", "[a\\-z]"), 1);
  EXPECT_EQ(WildMatch("m", "[a\\-z]"), 0);
}

TEST(WildMatch, LoneTrailingBackslashStandsForItself) {
  EXPECT_EQ(WildMatch("a\\", "a\\"), 1);
  EXPECT_EQ(WildMatch("a", "a\\"), 0);
}

TEST(WildMatch, NullArgumentsNeverMatch) {
  EXPECT_EQ(WildMatch(nullptr, "*"), 0);
  EXPECT_EQ(WildMatch("a", nullptr), 0);
}

TEST(WildMatch, ManyStarsOnALongTextFinishQuickly) {
  // Without the early stop this pattern takes exponential time.
  const std::string text(200, 'a');
  EXPECT_EQ(WildMatch(text.c_str(), "*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b"), 0);
  EXPECT_EQ(WildMatch((text + "b").c_str(), "*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*a*b"), 1);
}

}  // namespace
