#include "platform/ascii_case.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(AsciiCase, OnlyAsciiLettersFold) {
  // Latin-1 and UTF-8 bytes of letters stay as they are: a locale that folds them plays no part.
  const std::string mixed = "Az09_-@[`{~ \xC9\xE9\xC3\xA9\xFF";
  EXPECT_EQ(platform::AsciiLower(mixed), "az09_-@[`{~ \xC9\xE9\xC3\xA9\xFF");
  EXPECT_EQ(platform::AsciiUpper(mixed), "AZ09_-@[`{~ \xC9\xE9\xC3\xA9\xFF");
  EXPECT_EQ(platform::AsciiLower('Q'), 'q');
  EXPECT_EQ(platform::AsciiUpper('q'), 'Q');

  const struct {
    const char* a;
    const char* b;
    bool equal;
  } cases[] = {
      {"LaserJet PS", "laserjet ps", true},
      {"Printer", "Printer", true},
      {"", "", true},
      {"Printer", "Printers", false},
      {"a@", "A`", false},
      {"\xC9", "\xE9", false},  // É and é in Latin-1
      {"caf\xC3\xA9", "CAF\xC3\xA9", true},
      {"caf\xC3\xA9", "CAF\xC3\x89", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(platform::EqualsIgnoringAsciiCase(c.a, c.b), c.equal) << c.a << " / " << c.b;
    EXPECT_EQ(platform::EqualsIgnoringAsciiCase(c.b, c.a), c.equal) << c.b << " / " << c.a;
  }
}

}  // namespace
