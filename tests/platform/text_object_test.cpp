#include "platform/text_object.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

using platform::TextFrom;
using platform::TextNew;
using platform::TextObject;

TEST(TextObject, NewObjectHoldsOnlyTheTerminator) {
  auto text = TextNew();
  EXPECT_EQ(text->length(), 0u);
  EXPECT_TRUE(text->isEmpty());
  EXPECT_STREQ(text->cstr(), "");
}

TEST(TextObject, SetReturnsStoredLengthPlusOne) {
  TextObject text;
  EXPECT_EQ(text.set("abc"), 4u);
  EXPECT_STREQ(text.cstr(), "abc");
  EXPECT_EQ(text.set(""), 1u);
  EXPECT_TRUE(text.isEmpty());
  text.set("x");
  EXPECT_EQ(text.set(nullptr), 1u);
  EXPECT_TRUE(text.isEmpty());
  EXPECT_STREQ(text.cstr(), "");
}

TEST(TextObject, BufferEndsRightAfterTheText) {
  // Run under AddressSanitizer this also proves that no byte beyond the terminator is read.
  TextObject text;
  text.set("four");
  EXPECT_EQ(std::strlen(text.cstr()), 4u);
  EXPECT_EQ(text.cstr()[text.length()], '\0');
  text.append("teen");
  EXPECT_EQ(std::strlen(text.cstr()), 8u);
  EXPECT_EQ(text.view(), "fourteen");
}

TEST(TextObject, SetFromOwnBufferSurvivesTheReallocation) {
  TextObject text("abcdef");
  text.set(text.cstr() + 2);
  EXPECT_STREQ(text.cstr(), "cdef");
  text.append(text.cstr());
  EXPECT_STREQ(text.cstr(), "cdefcdef");
  text.appendFrom(text);
  EXPECT_STREQ(text.cstr(), "cdefcdefcdefcdef");
  text.setFrom(text);
  EXPECT_STREQ(text.cstr(), "cdefcdefcdefcdef");
}

TEST(TextObject, AppendVariants) {
  auto text = TextFrom("ab");
  text->append("cd");
  text->appendChar('e');
  TextObject tail("fg");
  text->appendFrom(tail);
  text->append(nullptr);
  EXPECT_STREQ(text->cstr(), "abcdefg");
  EXPECT_EQ(text->length(), 7u);
}

TEST(TextObject, EqualsAndContainsCountCaseInEverySlot) {
  TextObject text("Printer");
  TextObject same("Printer");
  TextObject upper("PRINTER");
  TextObject part("rint");
  EXPECT_TRUE(text.equals("Printer"));
  EXPECT_FALSE(text.equals("printer"));
  EXPECT_FALSE(text.equals("Print"));
  EXPECT_TRUE(text.equalsNoCase("Printer"));
  EXPECT_FALSE(text.equalsNoCase("printer"));
  EXPECT_TRUE(text.equalsObj(same));
  EXPECT_FALSE(text.equalsObj(upper));
  EXPECT_TRUE(text.equalsObjNoCase(same));
  EXPECT_FALSE(text.equalsObjNoCase(upper));

  EXPECT_TRUE(text.contains("int"));
  EXPECT_FALSE(text.contains("INT"));
  EXPECT_TRUE(text.containsNoCase("int"));
  EXPECT_FALSE(text.containsNoCase("INT"));
  EXPECT_TRUE(text.containsObj(part));
  EXPECT_FALSE(text.containsObj(upper));
  EXPECT_TRUE(text.containsObjNoCase(part));
  EXPECT_FALSE(text.containsObjNoCase(upper));
  EXPECT_TRUE(text.contains(""));
  EXPECT_FALSE(text.contains("Printers"));
}

TEST(TextObject, FindCharFirstAndLast) {
  TextObject text("a/b/c");
  EXPECT_EQ(text.findChar('/'), 1);
  EXPECT_EQ(text.findLastChar('/'), 3);
  EXPECT_EQ(text.findChar('x'), -1);
  EXPECT_EQ(text.findLastChar('x'), -1);
  EXPECT_EQ(text.findChar('a'), 0);
  EXPECT_EQ(text.findLastChar('c'), 4);
  TextObject empty;
  EXPECT_EQ(empty.findChar('a'), -1);
  EXPECT_EQ(empty.findLastChar('a'), -1);
}

TEST(TextObject, FindText) {
  TextObject text("abcabc");
  EXPECT_EQ(text.find("bc"), 1);
  EXPECT_EQ(text.find("abc"), 0);
  EXPECT_EQ(text.find("cab"), 2);
  EXPECT_EQ(text.find("abd"), -1);
  EXPECT_EQ(text.find("abcabcd"), -1);  // longer than the text
  EXPECT_EQ(text.find(""), 0);
  TextObject empty;
  EXPECT_EQ(empty.find(""), 0);
  EXPECT_EQ(empty.find("a"), -1);
}

TEST(TextObject, PiecesIntoTargets) {
  TextObject text("project.tpf");
  TextObject target("old contents");
  text.left(target, 7);
  EXPECT_STREQ(target.cstr(), "project");
  text.left(target, 0);
  EXPECT_STREQ(target.cstr(), "");
  text.left(target, 100);
  EXPECT_STREQ(target.cstr(), "project.tpf");

  text.mid(target, 8, 3);
  EXPECT_STREQ(target.cstr(), "tpf");
  text.mid(target, 8, 50);
  EXPECT_STREQ(target.cstr(), "tpf");
  text.mid(target, 11, 2);
  EXPECT_STREQ(target.cstr(), "");
  text.mid(target, 40, 2);
  EXPECT_STREQ(target.cstr(), "");

  text.from(target, 7);
  EXPECT_STREQ(target.cstr(), ".tpf");
  text.from(target, 0);
  EXPECT_STREQ(target.cstr(), "project.tpf");
  text.from(target, 11);
  EXPECT_STREQ(target.cstr(), "");
  text.from(target, 12);
  EXPECT_STREQ(target.cstr(), "");

  text.right(target, 3);
  EXPECT_STREQ(target.cstr(), "tpf");
  text.right(target, 11);
  EXPECT_STREQ(target.cstr(), "project.tpf");
  text.right(target, 99);
  EXPECT_STREQ(target.cstr(), "project.tpf");
  text.right(target, 0);
  EXPECT_STREQ(target.cstr(), "");
  EXPECT_STREQ(text.cstr(), "project.tpf");
}

TEST(TextObject, PieceIntoItself) {
  TextObject text("abcdef");
  text.mid(text, 1, 3);
  EXPECT_STREQ(text.cstr(), "bcd");
  text.right(text, 2);
  EXPECT_STREQ(text.cstr(), "cd");
}

TEST(TextObject, ReplaceAllLeftToRightWithoutOverlap) {
  TextObject text("aaaa");
  text.replaceAll("aa", "b");
  EXPECT_STREQ(text.cstr(), "bb");

  text.set("aaa");
  text.replaceAll("aa", "b");
  EXPECT_STREQ(text.cstr(), "ba");

  // Inserted text is not searched again.
  text.set("a.b");
  text.replaceAll("a", "aa");
  EXPECT_STREQ(text.cstr(), "aa.b");

  text.set("x\\y\\z");
  text.replaceAll("\\", "/");
  EXPECT_STREQ(text.cstr(), "x/y/z");

  text.set("%os%/file%os%");
  text.replaceAll("%os%", "");
  EXPECT_STREQ(text.cstr(), "/file");

  text.set("abc");
  text.replaceAll("abc", "");
  EXPECT_STREQ(text.cstr(), "");
}

TEST(TextObject, ReplaceAllWithoutOccurrenceOrEmptySearchLeavesText) {
  TextObject text("abc");
  text.replaceAll("x", "y");
  EXPECT_STREQ(text.cstr(), "abc");
  text.replaceAll("abcd", "y");
  EXPECT_STREQ(text.cstr(), "abc");
  text.replaceAll("", "y");
  EXPECT_STREQ(text.cstr(), "abc");
  text.replaceAll(nullptr, "y");
  EXPECT_STREQ(text.cstr(), "abc");
  text.replaceAll("b", nullptr);
  EXPECT_STREQ(text.cstr(), "ac");
}

TEST(TextObject, FormatShortAndLong) {
  TextObject text("previous");
  EXPECT_EQ(text.format("%s-%d-%X", "job", 42, 255u), 10u);
  EXPECT_STREQ(text.cstr(), "job-42-FF");

  const std::string big(20000, 'q');
  const std::size_t stored = text.format("<%s>%d", big.c_str(), 7);
  EXPECT_EQ(stored, 20004u);
  ASSERT_EQ(text.length(), 20003u);
  EXPECT_EQ(text.view(), "<" + big + ">7");

  EXPECT_EQ(text.format("%s", ""), 1u);
  EXPECT_TRUE(text.isEmpty());
}

TEST(TextObject, ClearAndRelease) {
  TextObject text("abc");
  text.clear();
  EXPECT_TRUE(text.isEmpty());
  EXPECT_STREQ(text.cstr(), "");

  text.set("abc");
  text.release();
  EXPECT_EQ(text.length(), 0u);
  EXPECT_STREQ(text.cstr(), "");
  EXPECT_EQ(text.find("a"), -1);
  EXPECT_FALSE(text.contains("a"));
  // A released object is usable again.
  text.append("de");
  EXPECT_STREQ(text.cstr(), "de");
  text.release();
  text.clear();
  EXPECT_STREQ(text.cstr(), "");
}

void Uppercase(TextObject& text) {
  std::string upper(text.view());
  for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  text.set(upper.c_str());
}

TEST(TextHook, DefaultLeavesTextAndASetHookRuns) {
  TextObject text("50% done");
  platform::SetTextHook(nullptr);
  platform::CallTextHook(text);
  EXPECT_STREQ(text.cstr(), "50% done");
  platform::SetTextHook(&Uppercase);
  platform::CallTextHook(text);
  EXPECT_STREQ(text.cstr(), "50% DONE");
  platform::SetTextHook(nullptr);
  text.set("abc");
  platform::CallTextHook(text);
  EXPECT_STREQ(text.cstr(), "abc");
}

}  // namespace
