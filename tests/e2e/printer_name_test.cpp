// Printer names on the simulated disk: the longest name leaves room for the temporary suffix.
// The other name rules are checked against a reference by the printer_name fuzz target, which
// replays its corpus in CTest.

#include "printer_name.h"

#include <gtest/gtest.h>

namespace {

TEST(PrinterName, LengthLeavesRoomForTheTemporarySuffix) {
  EXPECT_TRUE(kmsim::FlatName(std::string(248, 'a')).has_value());
  EXPECT_FALSE(kmsim::FlatName(std::string(249, 'a')).has_value());
  // "/" takes three bytes in the flat name.
  EXPECT_FALSE(kmsim::FlatName(std::string(123, 'a') + "/" + std::string(123, 'b')).has_value());
  // The temporary file beside a longest name is still recognised.
  EXPECT_TRUE(kmsim::NameOfFlat(std::string(248, 'a') + ".kmpart").has_value());
}

}  // namespace
