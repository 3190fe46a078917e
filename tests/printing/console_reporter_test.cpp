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

  // The reserved entry for "no printer" is delivered to nobody, silently.
  std::ostringstream quietOut, quietErr;
  printing::ConsoleDeliveryReporter quiet(quietOut, quietErr);
  const auto outcome = printing::DeliverJob("[Delete Files]", "/nonexistent/job.ps",
                                            printing::NoPrinterText(), quiet);
  EXPECT_EQ(outcome.result, printing::DeliveryOutcome::Result::kNothingToDo);
  EXPECT_EQ(quietOut.str() + quietErr.str(), "");
}

}  // namespace
