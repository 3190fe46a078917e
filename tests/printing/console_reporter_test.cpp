// The command-line reports of a delivery.

#include <gtest/gtest.h>

#include <sstream>

#include "printing/console_delivery_reporter.h"
#include "printing/job_delivery.h"
#include "printing/printer_list.h"

namespace {

TEST(ConsoleReporter, StatusToOutputErrorsAndReasonsToErrorStream) {
  std::ostringstream out, err;
  printing::ConsoleDeliveryReporter reporter(out, err);
  reporter.Beep();
  reporter.SetStatusText(printing::SuccessText("[Delete Files]"));
  reporter.SetStatusText("");
  reporter.PrinterFailed("ps1", "the print server refused the job: gone");
  reporter.ShowError(printing::FailedPrintersMessage("ps1\nps2"));
  EXPECT_EQ(out.str(), "[Delete Files] completed successfully\n");
  EXPECT_EQ(err.str(),
            "ps1: the print server refused the job: gone\n"
            "KORAManage cannot send the job to the printer(s).\n\nps1\nps2\n");
}

TEST(ConsoleReporter, NoPrinterEntryReportsNothing) {
  std::ostringstream out, err;
  printing::ConsoleDeliveryReporter reporter(out, err);
  const auto outcome = printing::DeliverJob("[Delete Files]", "/nonexistent/job.ps",
                                            printing::NoPrinterText(), reporter);
  EXPECT_EQ(outcome.result, printing::DeliveryOutcome::Result::kNothingToDo);
  EXPECT_EQ(out.str(), "");
  EXPECT_EQ(err.str(), "");
}

TEST(ConsoleReporter, MessageTexts) {
  EXPECT_EQ(printing::SuccessText("[Load Fonts]"), "[Load Fonts] completed successfully");
  EXPECT_EQ(printing::EmptyGroupMessage("night"),
            "The printer group contains no printer.\n\nnight");
}

}  // namespace
