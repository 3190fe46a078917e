// Destination items: the group prefix and the destination list rule.

#include "printing/destinations.h"

#include <gtest/gtest.h>

#include "printing/printer_list.h"

namespace {

using Names = std::vector<std::string>;

TEST(Destinations, GroupPrefixIsThreeBackslashes) {
  EXPECT_EQ(std::string(printing::GROUP_PREFIX), "\\\\\\");
  EXPECT_TRUE(printing::IsGroupDestination("\\\\\\night"));
  EXPECT_FALSE(printing::IsGroupDestination("\\\\night"));
  EXPECT_FALSE(printing::IsGroupDestination("night\\\\\\"));
  EXPECT_EQ(printing::GroupDestination("night"), "\\\\\\night");
}

TEST(Destinations, EveryPrefixOccurrenceIsRemoved) {
  EXPECT_EQ(printing::GroupNameOf("\\\\\\night"), "night");
  EXPECT_EQ(printing::GroupNameOf("\\\\\\ni\\\\\\ght\\\\\\"), "night");
  EXPECT_EQ(printing::GroupNameOf("\\\\\\\\night"), "\\night");
  EXPECT_EQ(printing::GroupNameOf("plain"), "plain");
}

TEST(Destinations, PrintersFirstThenGroupsNotNamedLikeItems) {
  const Names items = printing::BuildDestinationList({"ps1", "ps2"}, {"night", "ps2", "day"});
  EXPECT_EQ(items, (Names{"ps1", "ps2", "\\\\\\night", "\\\\\\day"}));
  // A group is not offered twice.
  EXPECT_EQ(printing::BuildDestinationList({"ps1"}, {"night", "night"}),
            (Names{"ps1", "\\\\\\night"}));
  // Without printers the reserved entry leads.
  EXPECT_EQ(printing::BuildDestinationList({printing::NoPrinterText()}, {"night"}),
            (Names{"[No Printers Available]", "\\\\\\night"}));
}

TEST(Destinations, ListStopsAt1024Items) {
  Names printers;
  for (int i = 0; i < 1020; ++i) printers.push_back("p" + std::to_string(i));
  Names groups;
  for (int i = 0; i < 10; ++i) groups.push_back("g" + std::to_string(i));
  const Names items = printing::BuildDestinationList(printers, groups);
  ASSERT_EQ(items.size(), 1024u);
  EXPECT_EQ(items.back(), "\\\\\\g3");
}

TEST(Destinations, NoPrinterTextCanBeTranslatedOnce) {
  EXPECT_EQ(printing::NoPrinterText(), "[No Printers Available]");
  printing::SetNoPrinterText("[Keine Drucker]");
  EXPECT_EQ(printing::NoPrinterText(), "[Keine Drucker]");
  printing::SetNoPrinterText(printing::kNoPrintersText);
}

}  // namespace
