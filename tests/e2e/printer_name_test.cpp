// Printer names on the simulated disk: which names it holds and their flat file names.

#include "printer_name.h"

#include <gtest/gtest.h>

namespace {

TEST(PrinterName, StorableNamesStayInsideTheDisk) {
  for (const char* name : {"mtbc/formlib/logo.frm", "a", "fonts/Foo", "mtbc/a (b)/c\\d", ".x/..y",
                           "mtbc/.kmsim/x", "x.kmsim"}) {
    EXPECT_TRUE(kmsim::IsStorableName(name)) << name;
  }
  for (const char* name : {"", "/etc/passwd", "../x", "mtbc/../../x", "mtbc/..", "a//b", "a/", ".",
                           "a/./b", ".kmsim", ".kmsim/flat/x"}) {
    EXPECT_FALSE(kmsim::IsStorableName(name)) << name;
    EXPECT_FALSE(kmsim::FlatName(name).has_value()) << name;
  }
}

TEST(PrinterName, FlatNamesRoundTrip) {
  const std::string withNul("a\0b", 3);
  const std::pair<std::string, std::string> cases[] = {
      {"mtbc/formlib/logo.frm", "mtbc%2Fformlib%2Flogo.frm"},
      {"100%/x", "100%25%2Fx"},
      {"\xe9t\xe9 (1)", "\xe9t\xe9 (1)"},
  };
  for (const auto& [name, flat] : cases) {
    EXPECT_EQ(kmsim::FlatName(name), flat);
    EXPECT_EQ(kmsim::NameOfFlat(flat), name);
  }
  // A NUL would cut the name short in the folder view: "a\0b" would overwrite "a".
  EXPECT_FALSE(kmsim::FlatName(withNul).has_value());
  EXPECT_FALSE(kmsim::NameOfFlat("a%00b").has_value());
  // Spellings the encoder never makes do not stand for names.
  for (const char* flat : {"%41", "a%2", "a%zz", "%2E%2E", "..", "mtbc%2F..%2Fx", "a%2f"}) {
    EXPECT_FALSE(kmsim::NameOfFlat(flat).has_value()) << flat;
  }
}

TEST(PrinterName, LengthLeavesRoomForTheTemporarySuffix) {
  EXPECT_TRUE(kmsim::FlatName(std::string(248, 'a')).has_value());
  EXPECT_FALSE(kmsim::FlatName(std::string(249, 'a')).has_value());
  // "/" takes three bytes in the flat name.
  EXPECT_FALSE(kmsim::FlatName(std::string(123, 'a') + "/" + std::string(123, 'b')).has_value());
  // The temporary file beside a longest name is still recognised.
  EXPECT_TRUE(kmsim::NameOfFlat(std::string(248, 'a') + ".kmpart").has_value());
}

TEST(PrinterName, ReportEscapeKeepsOneRecordPerLine) {
  EXPECT_EQ(kmsim::ReportEscape("mtbc/a b\tc\nd%e\xe9~!"), "mtbc/a%20b%09c%0Ad%25e%E9~!");
  EXPECT_EQ(kmsim::ReportEscape(""), "");
}

}  // namespace
