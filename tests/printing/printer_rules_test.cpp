// The name test and the exclusion rules on printer records; destination items: the group
// prefix and the destination list rule.

#include <gtest/gtest.h>

#include "printing/destinations.h"
#include "printing/printer_list.h"

namespace {

TEST(PrinterRules, NameTestWantsBlankBeforePsOrTheWord) {
  for (const char* name : {"Generic PS Driver", "generic ps driver", "Office Laser PS",
                           "Office PostScript 3", "POSTSCRIPT"}) {
    EXPECT_TRUE(printing::HasPostScriptName(name)) << name;
  }
  for (const char* name : {"GenericPS", "PS Office", "Generic PCL Laser Printer", ""}) {
    EXPECT_FALSE(printing::HasPostScriptName(name)) << name;
  }
}

TEST(PrinterRules, ConverterDriverAndPortExcludedOnlyWithExactSpelling) {
  const struct {
    const char* makeAndModel;
    const char* deviceUri;
    bool excluded;
  } cases[] = {
      {"Adobe PDF Converter", "socket://h", true},
      {"adobe pdf converter", "socket://h", false},
      {"Adobe PDF Converter 2", "socket://h", false},
      {"Generic PostScript Printer", "KORAConvert", true},
      {"Generic PostScript Printer", "koraconvert", false},
      {"Generic PostScript Printer", "KORAConvert:/x", false},
      // A file port is not excluded on this system.
      {"Generic PostScript Printer", "FILE:", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(printing::IsExcludedPrinter({"q", c.makeAndModel, c.deviceUri, ""}), c.excluded)
        << c.makeAndModel << " " << c.deviceUri;
  }
}

using Names = std::vector<std::string>;

TEST(Destinations, GroupPrefixIsThreeBackslashesAndEveryOccurrenceIsRemoved) {
  EXPECT_EQ(printing::GroupDestination("night"), "\\\\\\night");
  EXPECT_TRUE(printing::IsGroupDestination("\\\\\\night"));
  EXPECT_FALSE(printing::IsGroupDestination("\\\\night"));
  EXPECT_FALSE(printing::IsGroupDestination("night\\\\\\"));
  const std::pair<const char*, const char*> names[] = {
      {"\\\\\\night", "night"},
      {"\\\\\\ni\\\\\\ght\\\\\\", "night"},
      {"\\\\\\\\night", "\\night"},
      {"plain", "plain"},
  };
  for (const auto& [item, group] : names) EXPECT_EQ(printing::GroupNameOf(item), group) << item;
}

TEST(Destinations, PrintersFirstThenGroupsNotNamedLikeItemsAtMost1024) {
  EXPECT_EQ(printing::BuildDestinationList({"ps1", "ps2"}, {"night", "ps2", "day"}),
            (Names{"ps1", "ps2", "\\\\\\night", "\\\\\\day"}));
  // A group is not offered twice.
  EXPECT_EQ(printing::BuildDestinationList({"ps1"}, {"night", "night"}),
            (Names{"ps1", "\\\\\\night"}));
  // Without printers the reserved entry leads; it can be translated.
  printing::SetNoPrinterText("[Keine Drucker]");
  EXPECT_EQ(printing::BuildDestinationList({printing::NoPrinterText()}, {"night"}),
            (Names{"[Keine Drucker]", "\\\\\\night"}));
  printing::SetNoPrinterText(printing::kNoPrintersText);

  Names printers;
  for (int i = 0; i < 1020; ++i) printers.push_back("p" + std::to_string(i));
  Names groups;
  for (int i = 0; i < 10; ++i) groups.push_back("g" + std::to_string(i));
  const Names items = printing::BuildDestinationList(printers, groups);
  ASSERT_EQ(items.size(), 1024u);
  EXPECT_EQ(items.back(), "\\\\\\g3");
}

}  // namespace
