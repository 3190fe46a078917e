// Which queues of a real print server are offered: the PostScript test and every exclusion.

#include "printing/printer_list.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "printing_server_env.h"

namespace {

using printing::PrinterRecord;

PrinterRecord Find(const std::vector<PrinterRecord>& printers, const std::string& name) {
  for (const PrinterRecord& p : printers) {
    if (p.name == name) return p;
  }
  ADD_FAILURE() << "queue not enumerated: " << name;
  return {};
}

TEST(PrinterList, EnumerationCarriesDriverPortAndDescription) {
  std::vector<PrinterRecord> printers;
  std::string error;
  ASSERT_TRUE(printing::EnumeratePrinters(printers, &error)) << error;
  EXPECT_EQ(printers.size(), print_server::StandardQueues().size());
  const PrinterRecord ps = Find(printers, "km_ps_one");
  EXPECT_EQ(ps.makeAndModel, "Generic PostScript Printer");
  EXPECT_EQ(ps.deviceUri.rfind("socket://127.0.0.1:", 0), 0u) << ps.deviceUri;
  EXPECT_NE(ps.deviceUri.find("?snmp=false"), std::string::npos) << ps.deviceUri;
  EXPECT_EQ(Find(printers, "km_pdf_converter").makeAndModel, "Adobe PDF Converter");
  EXPECT_EQ(Find(printers, "km_raw").makeAndModel, "Local Raw Printer");
  EXPECT_EQ(Find(printers, "km_raw_described").info, "Generic PS Driver");
}

struct PostScriptCase {
  const char* queue;
  bool postscript;
};

class PostScriptTest : public ::testing::TestWithParam<PostScriptCase> {};

TEST_P(PostScriptTest, DecidedByPassThroughThenName) {
  std::vector<PrinterRecord> printers;
  ASSERT_TRUE(printing::EnumeratePrinters(printers));
  EXPECT_EQ(printing::IsPostScriptPrinter(Find(printers, GetParam().queue)), GetParam().postscript)
      << GetParam().queue;
}

INSTANTIATE_TEST_SUITE_P(
    PrinterList, PostScriptTest,
    ::testing::Values(
        // The generic PostScript PPD passes PostScript through.
        PostScriptCase{"km_ps_one", true},
        // Passing through decides even without a PostScript hint in the driver name.
        PostScriptCase{"km_passthrough", true},
        // A converting driver: only the name test is left.
        PostScriptCase{"km_pcl", false}, PostScriptCase{"km_pcl_ps_name", true},
        PostScriptCase{"km_pcl_glued_name", false},
        // A raw queue: its description decides.
        PostScriptCase{"km_raw", false}, PostScriptCase{"km_raw_described", true},
        PostScriptCase{"km_raw_glued", false},
        // The converter is a PostScript printer; the exclusion removes it from the list.
        PostScriptCase{"km_pdf_converter", true}));

TEST(PrinterList, QueueThatCannotBeAskedIsNotPostScript) {
  PrinterRecord ghost{"km_no_such_queue", "Generic PS Driver", "socket://x", "Generic PS Driver"};
  // No PPD can be had for it: the driver-name hint does not rescue it.
  EXPECT_FALSE(printing::IsPostScriptPrinter(ghost));
}

TEST(PrinterList, ListsPostScriptQueuesInServerOrderWithoutExclusions) {
  std::string error;
  const std::vector<std::string> listed = printing::ListPostScriptPrinters(&error);
  EXPECT_EQ(error, "");
  const std::vector<std::string> expected = {
      "km_passthrough", "km_pcl_ps_name",   "km_pdf_converter_lower", "km_ps_one",
      "km_ps_two",      "km_raw_described", "km_rejecting",           "km_stopped"};
  EXPECT_EQ(listed, expected);
}

TEST(PrinterList, InstalledPrinterIgnoresCase) {
  EXPECT_TRUE(printing::IsInstalledPrinter("km_ps_one"));
  EXPECT_TRUE(printing::IsInstalledPrinter("KM_PS_One"));
  EXPECT_FALSE(printing::IsInstalledPrinter("km_pcl"));
  EXPECT_FALSE(printing::IsInstalledPrinter("km_pdf_converter"));
  EXPECT_FALSE(printing::IsInstalledPrinter("km_ps"));
  EXPECT_FALSE(printing::IsInstalledPrinter(printing::NoPrinterText()));
}

}  // namespace
