// The name test and the exclusion rules on printer records.

#include <gtest/gtest.h>

#include "printing/printer_list.h"

namespace {

using printing::HasPostScriptName;
using printing::IsExcludedPrinter;
using printing::PrinterRecord;

TEST(PrinterRules, NameTestWantsBlankBeforePsOrTheWord) {
  EXPECT_TRUE(HasPostScriptName("Generic PS Driver"));
  EXPECT_TRUE(HasPostScriptName("generic ps driver"));
  EXPECT_TRUE(HasPostScriptName("Office Laser PS"));
  EXPECT_TRUE(HasPostScriptName("Office PostScript 3"));
  EXPECT_TRUE(HasPostScriptName("POSTSCRIPT"));
  EXPECT_FALSE(HasPostScriptName("GenericPS"));
  EXPECT_FALSE(HasPostScriptName("PS Office"));
  EXPECT_FALSE(HasPostScriptName("Generic PCL Laser Printer"));
  EXPECT_FALSE(HasPostScriptName(""));
}

TEST(PrinterRules, ConverterDriverExcludedOnlyWithExactCase) {
  EXPECT_TRUE(IsExcludedPrinter({"q", "Adobe PDF Converter", "socket://h", ""}));
  EXPECT_FALSE(IsExcludedPrinter({"q", "adobe pdf converter", "socket://h", ""}));
  EXPECT_FALSE(IsExcludedPrinter({"q", "Adobe PDF Converter 2", "socket://h", ""}));
}

TEST(PrinterRules, ConvertPortExcludedOnlyWithExactCase) {
  EXPECT_TRUE(IsExcludedPrinter({"q", "Generic PostScript Printer", "KORAConvert", ""}));
  EXPECT_FALSE(IsExcludedPrinter({"q", "Generic PostScript Printer", "koraconvert", ""}));
  EXPECT_FALSE(IsExcludedPrinter({"q", "Generic PostScript Printer", "KORAConvert:/x", ""}));
  // A file port is not excluded on this system.
  EXPECT_FALSE(IsExcludedPrinter({"q", "Generic PostScript Printer", "FILE:", ""}));
}

}  // namespace
