// Which queues of a real print server are offered: the PostScript test and every exclusion.

#include "printing/printer_list.h"

#include <gtest/gtest.h>

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

TEST(PrinterList, EnumerationCarriesDriverPortAndDescriptionAndDecidesPostScript) {
  std::vector<PrinterRecord> printers;
  std::string error;
  ASSERT_TRUE(printing::EnumeratePrinters(printers, &error)) << error;
  EXPECT_EQ(printers.size(), print_server::StandardQueues().size());
  const PrinterRecord ps = Find(printers, "km_ps_one");
  EXPECT_EQ(ps.makeAndModel, "Generic PostScript Printer");
  EXPECT_EQ(ps.deviceUri.rfind("socket://127.0.0.1:", 0), 0u) << ps.deviceUri;
  EXPECT_EQ(Find(printers, "km_pdf_converter").makeAndModel, "Adobe PDF Converter");
  EXPECT_EQ(Find(printers, "km_raw").makeAndModel, "Local Raw Printer");
  EXPECT_EQ(Find(printers, "km_raw_described").info, "Generic PS Driver");

  const std::pair<const char*, bool> queues[] = {
      // The generic PostScript PPD passes PostScript through.
      {"km_ps_one", true},
      // Passing through decides even without a PostScript hint in the driver name.
      {"km_passthrough", true},
      // A converting driver: only the name test is left.
      {"km_pcl", false},
      {"km_pcl_ps_name", true},
      // A raw queue: its description decides.
      {"km_raw", false},
      {"km_raw_described", true},
      // The converter is a PostScript printer; the exclusion removes it from the list.
      {"km_pdf_converter", true},
  };
  for (const auto& [queue, postscript] : queues) {
    EXPECT_EQ(printing::IsPostScriptPrinter(Find(printers, queue)), postscript) << queue;
  }
  // No PPD can be had for a queue that is not there: the driver-name hint does not rescue it.
  EXPECT_FALSE(printing::IsPostScriptPrinter(
      {"km_no_such_queue", "Generic PS Driver", "socket://x", "Generic PS Driver"}));
}

TEST(PrinterList, ListsPostScriptQueuesInServerOrderWithoutExclusions) {
  std::string error;
  const std::vector<std::string> listed = printing::ListPostScriptPrinters(&error);
  EXPECT_EQ(error, "");
  const std::vector<std::string> expected = {
      "km_passthrough", "km_pcl_ps_name",   "km_pdf_converter_lower", "km_ps_one",
      "km_ps_two",      "km_raw_described", "km_rejecting",           "km_stopped"};
  EXPECT_EQ(listed, expected);
  // Installed means listed, letter case ignored.
  const std::pair<std::string, bool> names[] = {
      {"km_ps_one", true},         {"KM_PS_One", true}, {"km_pcl", false},
      {"km_pdf_converter", false}, {"km_ps", false},    {printing::NoPrinterText(), false},
  };
  for (const auto& [name, installed] : names) {
    EXPECT_EQ(printing::IsInstalledPrinter(name), installed) << name;
  }
}

}  // namespace
