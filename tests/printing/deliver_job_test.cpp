// Delivery to a printer or a group, the failure list and the two reports.

#include <gtest/gtest.h>
#include <stdlib.h>

#include "printing/destinations.h"
#include "printing/job_delivery.h"
#include "printing/printer_list.h"
#include "printing_server_env.h"

namespace {

using printing::DeliveryOutcome;
using printing_test::RecordingReporter;
using printing_test::SharedServer;
using Result = DeliveryOutcome::Result;
using Names = std::vector<std::string>;

class DeliverJob : public ::testing::Test {
 protected:
  void SetUp() override {
    job_ = folder_ / "job.ps";
    bytes_ = printing_test::RandomBytes(40000, 7);
    printing_test::WriteBytes(job_, bytes_);
    settings_ = folder_ / "koramanage.ini";
    printing_test::WriteBytes(settings_,
                              "[printer-groups]\n"
                              "commas=,,km_ps_one,,km_ps_two,\n"
                              "mixed=km_ps_one,km_not_installed,KM_PS_TWO,km_rejecting,"
                              "km_passthrough\n"
                              "converters=km_pdf_converter,km_pcl\n"
                              "with_stopped=km_stopped,km_ps_two\n"
                              "empty=\n"
                              "only_commas=,,,\n"
                              "repeats=km_ps_one,KM_PS_ONE,km_ps_two,km_ps_one\n");
  }

  DeliveryOutcome Deliver(const std::string& destination) {
    return printing::DeliverJob("[Load Fonts]", job_.string(), destination, reporter_,
                                settings_.string());
  }

  std::size_t Count(const std::string& queue) { return SharedServer().ReceivedJobs(queue).size(); }

  // The printer got one more job, and it is the job file.
  void ExpectReceived(const std::string& queue, std::size_t before) {
    ASSERT_TRUE(SharedServer().WaitForJobs(queue, before + 1)) << queue;
    const auto jobs = SharedServer().ReceivedJobs(queue);
    EXPECT_EQ(jobs.size(), before + 1) << queue;
    EXPECT_TRUE(printing_test::ReadBytes(jobs.back()) == bytes_) << queue;
  }

  printing_test::TestFolder folder_;
  std::filesystem::path job_;
  std::filesystem::path settings_;
  std::string bytes_;
  RecordingReporter reporter_;
};

TEST_F(DeliverJob, OnePrinterSuccessBeepsAndSetsStatus) {
  const auto before = Count("km_passthrough");
  const DeliveryOutcome outcome = Deliver("km_passthrough");
  EXPECT_EQ(outcome.result, Result::kDelivered);
  EXPECT_TRUE(outcome.failedPrinters.empty());
  EXPECT_EQ(reporter_.calls, (Names{"beep", "status:[Load Fonts] completed successfully"}));
  ExpectReceived("km_passthrough", before);
  // The job file belongs to the caller.
  EXPECT_TRUE(std::filesystem::exists(job_));
}

TEST_F(DeliverJob, OnePrinterFailureNamesIt) {
  const DeliveryOutcome outcome = Deliver("km_rejecting");
  EXPECT_EQ(outcome.result, Result::kFailed);
  EXPECT_EQ(outcome.failedPrinters, Names{"km_rejecting"});
  EXPECT_EQ(reporter_.calls,
            (Names{"status:",
                   "error:KORAManage cannot send the job to the printer(s).\n\nkm_rejecting"}));
  ASSERT_EQ(reporter_.reasons.size(), 1u);
}

// A printer given by name must pass the same test as a group member, and is refused with
// the reason when it does not.
TEST_F(DeliverJob, OnePrinterOutsideThePrinterListIsRefusedWithTheReason) {
  const struct {
    const char* printer;
    const char* reason;
  } cases[] = {
      {"km_pcl", "not a PostScript printer"},
      {"km_raw", "not a PostScript printer"},
      {"km_pdf_converter", "pseudo-printer"},
      {"km_not_installed", "not an installed printer"},
  };
  for (const auto& c : cases) {
    RecordingReporter reporter;
    const DeliveryOutcome outcome = printing::DeliverJob("[Load Fonts]", job_.string(), c.printer,
                                                         reporter, settings_.string());
    EXPECT_EQ(outcome.result, Result::kFailed) << c.printer;
    EXPECT_EQ(outcome.failedPrinters, Names{c.printer});
    ASSERT_EQ(reporter.reasons.size(), 1u) << c.printer;
    EXPECT_NE(reporter.reasons[0].find(c.reason), std::string::npos) << reporter.reasons[0];
    EXPECT_EQ(
        reporter.calls.back(),
        std::string("error:KORAManage cannot send the job to the printer(s).\n\n") + c.printer);
  }
  EXPECT_EQ(Count("km_pcl"), 0u);
  EXPECT_EQ(Count("km_raw"), 0u);
  EXPECT_EQ(Count("km_pdf_converter"), 0u);
}

TEST_F(DeliverJob, MemberRepeatedInOtherCaseReceivesTheJobOnce) {
  // The server registers each job before the delivery returns.
  auto jobs = [](const char* queue) {
    return printing_test::QueueJobs(queue, CUPS_WHICHJOBS_ALL).size();
  };
  const auto one = jobs("km_ps_one");
  const auto two = jobs("km_ps_two");
  const auto oneReceived = Count("km_ps_one");
  const auto twoReceived = Count("km_ps_two");
  const DeliveryOutcome outcome = Deliver(printing::GroupDestination("repeats"));
  EXPECT_EQ(outcome.result, Result::kDelivered);
  EXPECT_EQ(jobs("km_ps_one"), one + 1);
  EXPECT_EQ(jobs("km_ps_two"), two + 1);
  // Let the printers finish receiving, so no job of this test lands in the next one's count.
  ExpectReceived("km_ps_one", oneReceived);
  ExpectReceived("km_ps_two", twoReceived);
}

TEST_F(DeliverJob, GroupNameBreakingTheRulesReadsAndSendsNothing) {
  printing_test::WriteBytes(settings_, "lastPrinter=km_ps_one\n[printer-groups]\nok=km_ps_one\n");
  const auto one = Count("km_ps_one");
  for (const char* group : {"../lastPrinter", "/lastPrinter", "ok/../../lastPrinter"}) {
    RecordingReporter reporter;
    const DeliveryOutcome outcome =
        printing::DeliverJob("[Load Fonts]", job_.string(), printing::GroupDestination(group),
                             reporter, settings_.string());
    EXPECT_EQ(outcome.result, Result::kBadGroupName) << group;
    EXPECT_EQ(reporter.calls,
              (Names{"status:", std::string("error:Printer group name may only contain "
                                            "underscore, and alphanumeric characters.\n\n") +
                                    group}));
  }
  EXPECT_EQ(Count("km_ps_one"), one);
}

TEST_F(DeliverJob, GroupWithStrayCommasExpandsToItsTwoMembers) {
  const auto one = Count("km_ps_one");
  const auto two = Count("km_ps_two");
  EXPECT_EQ(printing::ReadPrinterGroup("commas", settings_.string()),
            (Names{"km_ps_one", "km_ps_two"}));
  const DeliveryOutcome outcome = Deliver(printing::GroupDestination("commas"));
  EXPECT_EQ(outcome.result, Result::kDelivered);
  EXPECT_EQ(reporter_.calls, (Names{"beep", "status:[Load Fonts] completed successfully"}));
  ExpectReceived("km_ps_one", one);
  ExpectReceived("km_ps_two", two);
}

TEST_F(DeliverJob, FailingMembersFailAloneOthersReceive) {
  const auto one = Count("km_ps_one");
  const auto two = Count("km_ps_two");
  const auto pass = Count("km_passthrough");
  const DeliveryOutcome outcome = Deliver(printing::GroupDestination("mixed"));
  EXPECT_EQ(outcome.result, Result::kFailed);
  EXPECT_EQ(outcome.failedPrinters, (Names{"km_not_installed", "km_rejecting"}));
  EXPECT_EQ(reporter_.calls, (Names{"status:",
                                    "error:KORAManage cannot send the job to the printer(s).\n\n"
                                    "km_not_installed\nkm_rejecting"}));
  EXPECT_EQ(reporter_.reasons.size(), 2u);
  ExpectReceived("km_ps_one", one);
  // Matched ignoring case, sent under the member's own spelling.
  ExpectReceived("km_ps_two", two);
  ExpectReceived("km_passthrough", pass);
}

TEST_F(DeliverJob, ExcludedAndNonPostScriptMembersCountAsFailed) {
  const DeliveryOutcome outcome = Deliver(printing::GroupDestination("converters"));
  EXPECT_EQ(outcome.failedPrinters, (Names{"km_pdf_converter", "km_pcl"}));
  EXPECT_EQ(Count("km_pdf_converter"), 0u);
  EXPECT_EQ(Count("km_pcl"), 0u);
}

TEST_F(DeliverJob, StoppedMemberHoldsTheJobAndCountsAsSent) {
  const auto two = Count("km_ps_two");
  const auto held = printing_test::QueueJobs("km_stopped", CUPS_WHICHJOBS_ACTIVE).size();
  const DeliveryOutcome outcome = Deliver(printing::GroupDestination("with_stopped"));
  EXPECT_EQ(outcome.result, Result::kDelivered);
  EXPECT_EQ(printing_test::QueueJobs("km_stopped", CUPS_WHICHJOBS_ACTIVE).size(), held + 1);
  ExpectReceived("km_ps_two", two);
}

TEST_F(DeliverJob, EmptyGroupSendsNothing) {
  for (const char* group : {"empty", "only_commas", "no_entry_at_all"}) {
    RecordingReporter reporter;
    const DeliveryOutcome outcome =
        printing::DeliverJob("[Load Fonts]", job_.string(), printing::GroupDestination(group),
                             reporter, settings_.string());
    EXPECT_EQ(outcome.result, Result::kEmptyGroup) << group;
    EXPECT_EQ(reporter.calls,
              (Names{"status:",
                     std::string("error:The printer group contains no printer.\n\n") + group}));
  }
}

TEST_F(DeliverJob, NoPrintersEntryIsASilentNoOp) {
  const DeliveryOutcome outcome = Deliver(printing::NoPrinterText());
  EXPECT_EQ(outcome.result, Result::kNothingToDo);
  EXPECT_TRUE(reporter_.calls.empty());
  EXPECT_TRUE(reporter_.reasons.empty());
}

TEST_F(DeliverJob, GroupFromStandardSettingsLocation) {
  const auto root = folder_ / "appdata";
  std::filesystem::create_directories(root / "Norvale/KORA/KMAN");
  printing_test::WriteBytes(root / "Norvale/KORA/KMAN/koramanage.ini",
                            "[printer-groups]\nstandard=km_raw_described\n");
  setenv("KORAMANAGE_APPDATA", root.c_str(), 1);
  const auto before = Count("km_raw_described");
  const DeliveryOutcome outcome = printing::DeliverJob(
      "[Load Fonts]", job_.string(), printing::GroupDestination("standard"), reporter_);
  unsetenv("KORAMANAGE_APPDATA");
  EXPECT_EQ(outcome.result, Result::kDelivered);
  ExpectReceived("km_raw_described", before);
}

TEST_F(DeliverJob, DestinationListShowsPrintersThenGroups) {
  printing_test::WriteBytes(settings_, "[printer-groups]\nnight=km_ps_one\nkm_ps_two=x\n");
  const Names items = printing::DestinationList(settings_.string());
  ASSERT_FALSE(items.empty());
  EXPECT_EQ(items.front(), "km_passthrough");
  // The group named like a printer is not offered.
  EXPECT_EQ(items.back(), printing::GroupDestination("night"));
  EXPECT_EQ(std::count(items.begin(), items.end(), "km_ps_two"), 1);
}

}  // namespace
