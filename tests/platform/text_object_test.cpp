#include "platform/text_object.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/process_lock.h"

namespace {

using platform::TextObject;

TEST(TextObject, SetAppendAndTheirResults) {
  auto text = platform::TextNew();
  EXPECT_TRUE(text->isEmpty());
  EXPECT_EQ(text->set("abc"), 4u);
  EXPECT_EQ(text->set(""), 1u);
  text->set("x");
  EXPECT_EQ(text->set(nullptr), 1u);
  EXPECT_STREQ(text->cstr(), "");

  auto built = platform::TextFrom("ab");
  built->append("cd");
  built->appendChar('e');
  const TextObject tail("fg");
  built->appendFrom(tail);
  built->append(nullptr);
  EXPECT_STREQ(built->cstr(), "abcdefg");
  EXPECT_EQ(built->length(), 7u);
  // Under AddressSanitizer this also proves the buffer ends right after the terminator.
  EXPECT_EQ(std::strlen(built->cstr()), 7u);
}

TEST(TextObject, OwnTextAsSourceSurvivesTheNewBuffer) {
  TextObject text("abcdef");
  text.set(text.cstr() + 2);
  EXPECT_STREQ(text.cstr(), "cdef");
  text.append(text.cstr());
  EXPECT_STREQ(text.cstr(), "cdefcdef");
  text.appendFrom(text);
  text.setFrom(text);
  EXPECT_STREQ(text.cstr(), "cdefcdefcdefcdef");
  text.set("abcdef");
  text.mid(text, 1, 3);
  EXPECT_STREQ(text.cstr(), "bcd");
  text.right(text, 2);
  EXPECT_STREQ(text.cstr(), "cd");
}

// Every "NoCase" slot compares byte for byte, exactly like its plain twin.
TEST(TextObject, EqualsAndContainsCountCaseInEverySlot) {
  const TextObject text("Printer");
  const struct {
    const char* other;
    bool equal, contained;
  } cases[] = {{"Printer", true, true}, {"printer", false, false}, {"PRINTER", false, false},
               {"Print", false, true},  {"rint", false, true},     {"INT", false, false},
               {"", false, true},       {"Printers", false, false}};
  for (const auto& c : cases) {
    const TextObject other(c.other);
    EXPECT_EQ(text.equals(c.other), c.equal) << c.other;
    EXPECT_EQ(text.equalsNoCase(c.other), c.equal) << c.other;
    EXPECT_EQ(text.equalsObj(other), c.equal) << c.other;
    EXPECT_EQ(text.equalsObjNoCase(other), c.equal) << c.other;
    EXPECT_EQ(text.contains(c.other), c.contained) << c.other;
    EXPECT_EQ(text.containsNoCase(c.other), c.contained) << c.other;
    EXPECT_EQ(text.containsObj(other), c.contained) << c.other;
    EXPECT_EQ(text.containsObjNoCase(other), c.contained) << c.other;
  }
}

TEST(TextObject, FindsTable) {
  // find looks for the needle, findChar and findLastChar for its first byte.
  const struct {
    const char* text;
    const char* needle;
    long first, firstChar, lastChar;
  } cases[] = {
      {"a/b/c", "/", 1, 1, 3},         {"a/b/c", "a", 0, 0, 0},    {"a/b/c", "c", 4, 4, 4},
      {"a/b/c", "x", -1, -1, -1},      {"", "a", -1, -1, -1},      {"abcabc", "bc", 1, 1, 4},
      {"abcabc", "abc", 0, 0, 3},      {"abcabc", "cab", 2, 2, 5}, {"abcabc", "abd", -1, 0, 3},
      {"abcabc", "abcabcd", -1, 0, 3}, {"abc", "", 0, -1, -1},     {"", "", 0, -1, -1}};
  for (const auto& c : cases) {
    const TextObject text(c.text);
    EXPECT_EQ(text.find(c.needle), c.first) << c.text << " / " << c.needle;
    if (*c.needle == '\0') continue;
    EXPECT_EQ(text.findChar(c.needle[0]), c.firstChar) << c.text << " / " << c.needle;
    EXPECT_EQ(text.findLastChar(c.needle[0]), c.lastChar) << c.text << " / " << c.needle;
  }
}

TEST(TextObject, PiecesTable) {
  const TextObject text("project.tpf");
  // left, from and right take n; mid takes start and n.
  // clang-format off
  const struct {
    char cut;
    std::size_t a, b;
    const char* expected;
  } cases[] = {{'L', 7, 0, "project"}, {'L', 0, 0, ""}, {'L', 100, 0, "project.tpf"},
               {'M', 8, 3, "tpf"}, {'M', 8, 50, "tpf"}, {'M', 11, 2, ""}, {'M', 40, 2, ""},
               {'F', 7, 0, ".tpf"}, {'F', 0, 0, "project.tpf"}, {'F', 11, 0, ""}, {'F', 12, 0, ""},
               {'R', 3, 0, "tpf"}, {'R', 0, 0, ""}, {'R', 11, 0, "project.tpf"},
               {'R', 99, 0, "project.tpf"}};
  // clang-format on
  for (const auto& c : cases) {
    TextObject target("old contents");
    if (c.cut == 'L') text.left(target, c.a);
    if (c.cut == 'M') text.mid(target, c.a, c.b);
    if (c.cut == 'F') text.from(target, c.a);
    if (c.cut == 'R') text.right(target, c.a);
    EXPECT_STREQ(target.cstr(), c.expected) << c.cut << " " << c.a << " " << c.b;
  }
  EXPECT_STREQ(text.cstr(), "project.tpf");
}

TEST(TextObject, ReplaceAllTable) {
  // Left to right, without overlap; inserted text is not searched again.
  const struct {
    const char *text, *search, *replacement, *expected;
  } cases[] = {
      {"aaaa", "aa", "b", "bb"},       {"aaa", "aa", "b", "ba"},         {"a.b", "a", "aa", "aa.b"},
      {"x\\y\\z", "\\", "/", "x/y/z"}, {"%os%/f%os%", "%os%", "", "/f"}, {"abc", "abc", "", ""},
      {"abc", "x", "y", "abc"},        {"abc", "abcd", "y", "abc"},      {"abc", "", "y", "abc"},
      {"abc", nullptr, "y", "abc"},    {"abc", "b", nullptr, "ac"}};
  for (const auto& c : cases) {
    TextObject text(c.text);
    text.replaceAll(c.search, c.replacement);
    EXPECT_STREQ(text.cstr(), c.expected) << c.text << " " << (c.search ? c.search : "(null)");
  }
}

TEST(TextObject, FormatClearAndRelease) {
  TextObject text("previous");
  EXPECT_EQ(text.format("%s-%d-%X", "job", 42, 255u), 10u);
  EXPECT_STREQ(text.cstr(), "job-42-FF");
  const std::string big(20000, 'q');
  EXPECT_EQ(text.format("<%s>%d", big.c_str(), 7), 20004u);
  EXPECT_EQ(text.view(), "<" + big + ">7");
  EXPECT_EQ(text.format("%s", ""), 1u);
  EXPECT_TRUE(text.isEmpty());
  text.set("abc");
  text.clear();
  EXPECT_STREQ(text.cstr(), "");
  text.set("abc");
  text.release();
  EXPECT_EQ(text.length(), 0u);
  EXPECT_STREQ(text.cstr(), "");
  EXPECT_EQ(text.find("a"), -1);
  EXPECT_FALSE(text.contains("a"));
  text.append("de");  // a released object is usable again
  EXPECT_STREQ(text.cstr(), "de");
}

TEST(TextHook, ASetHookRunsAndNullOrFileLayerInitRestoresTheDefault) {
  TextObject text("50% done");
  platform::SetTextHook([](TextObject& t) { t.append("!"); });
  platform::CallTextHook(text);
  EXPECT_STREQ(text.cstr(), "50% done!");
  platform::SetTextHook(nullptr);
  platform::CallTextHook(text);
  platform::SetTextHook([](TextObject& t) { t.set("rewritten"); });
  platform::FileLayerInit();
  platform::CallTextHook(text);
  EXPECT_STREQ(text.cstr(), "50% done!");
}

}  // namespace
