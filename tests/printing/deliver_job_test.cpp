// Delivery to a printer or a group: who receives the job, the failure list and the reports.

#include <gtest/gtest.h>

#include <map>

#include "env_override.h"
#include "file_io.h"
#include "printing/destinations.h"
#include "printing/job_delivery.h"
#include "printing/printer_list.h"
#include "printing_server_env.h"
#include "random_bytes.h"
#include "scratch_folder.h"

namespace {

using printing::DeliveryOutcome;
using printing_test::RecordingReporter;
using printing_test::SharedServer;
using Result = DeliveryOutcome::Result;
using Names = std::vector<std::string>;

class DeliverJob : public ::testing::Test {
 protected:
  using Counts = std::map<std::string, std::pair<std::size_t, std::size_t>>;
  // Jobs each queue has registered and its printer received so far.
  static Counts CountJobs(const Names& queues) {
    Counts counts;
    for (const std::string& queue : queues) {
      counts[queue] = {printing_test::QueueJobs(queue, CUPS_WHICHJOBS_ALL).size(),
                       SharedServer().ReceivedJobs(queue).size()};
    }
    return counts;
  }
  // Each queue registered exactly one more job (the server registers them before the
  // delivery returns), and its printer received the job file.
  void ExpectOneMoreJob(const Counts& before) {
    for (const auto& [queue, count] : before) {
      EXPECT_EQ(printing_test::QueueJobs(queue, CUPS_WHICHJOBS_ALL).size(), count.first + 1)
          << queue;
      ASSERT_TRUE(SharedServer().WaitForJobs(queue, count.second + 1)) << queue;
      EXPECT_TRUE(km_test::ReadFile(SharedServer().ReceivedJobs(queue).back()) == bytes_) << queue;
    }
  }

  km_test::ScratchFolder folder_{"km_print"};
  std::string bytes_ = km_test::RandomBytes(40000, 7);
  std::filesystem::path job_ = folder_.File("job.ps", bytes_);
  std::filesystem::path settings_ =
      folder_.File("koramanage.ini",
                   "lastPrinter=km_ps_one\n[printer-groups]\n"
                   "commas=,,km_ps_one,,km_ps_two,\n"
                   "mixed=km_ps_one,km_not_installed,KM_PS_TWO,km_rejecting,km_passthrough\n"
                   "converters=km_pdf_converter,km_pcl\n"
                   "with_stopped=km_stopped,km_ps_two\n"
                   "empty=\n"
                   "repeats=km_ps_one,KM_PS_ONE,km_ps_two,km_ps_one\n");
};

// What the user is told: the failed printers, or why nothing was sent.
Names Calls(Result result, const Names& failed, const std::string& destination) {
  std::string list;
  for (const std::string& printer : failed) list += (list.empty() ? "" : "\n") + printer;
  const std::string group = printing::GroupNameOf(destination);
  switch (result) {
    case Result::kDelivered:
      return {"beep", "status:[Load Fonts] completed successfully"};
    case Result::kFailed:
      return {"status:", "error:KORAManage cannot send the job to the printer(s).\n\n" + list};
    case Result::kEmptyGroup:
      return {"status:", "error:The printer group contains no printer.\n\n" + group};
    case Result::kBadGroupName:
      return {"status:",
              "error:Printer group name may only contain underscore, and alphanumeric "
              "characters.\n\n" +
                  group};
    default:
      return {};
  }
}

TEST_F(DeliverJob, EveryDestinationReachesExactlyItsPrinters) {
  const auto group = printing::GroupDestination;
  const struct {
    std::string destination;
    Result result;
    Names failed;
    Names receivers;
    std::string reason;  // in the first printer's reason
  } cases[] = {
      {"km_passthrough", Result::kDelivered, {}, {"km_passthrough"}, ""},
      // A printer given by name passes the same test as a group member.
      {"km_pcl", Result::kFailed, {"km_pcl"}, {}, "not a PostScript printer"},
      {"km_pdf_converter", Result::kFailed, {"km_pdf_converter"}, {}, "pseudo-printer"},
      {"km_not_installed", Result::kFailed, {"km_not_installed"}, {}, "not an installed printer"},
      // Members repeated in other letter case receive the job once.
      {group("repeats"), Result::kDelivered, {}, {"km_ps_one", "km_ps_two"}, ""},
      {group("commas"), Result::kDelivered, {}, {"km_ps_one", "km_ps_two"}, ""},
      // Failing members fail alone; matched ignoring case, sent under the member's spelling.
      {group("mixed"),
       Result::kFailed,
       {"km_not_installed", "km_rejecting"},
       {"km_ps_one", "km_ps_two", "km_passthrough"},
       "not an installed printer"},
      {group("converters"), Result::kFailed, {"km_pdf_converter", "km_pcl"}, {}, "pseudo"},
      // A stopped member holds the job and counts as sent.
      {group("with_stopped"), Result::kDelivered, {}, {"km_ps_two"}, ""},
      {group("empty"), Result::kEmptyGroup, {}, {}, ""},
      {group("no_entry"), Result::kEmptyGroup, {}, {}, ""},
      // Group names that break the rules read and send nothing.
      {group("../lastPrinter"), Result::kBadGroupName, {}, {}, ""},
      {group("ok/../../lastPrinter"), Result::kBadGroupName, {}, {}, ""},
      {printing::NoPrinterText(), Result::kNothingToDo, {}, {}, ""},
  };
  const Names refusing = {"km_pcl", "km_pdf_converter", "km_rejecting"};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.destination);
    const auto before = CountJobs(c.receivers);
    const auto untouched = CountJobs(refusing);
    const auto held = printing_test::QueueJobs("km_stopped", CUPS_WHICHJOBS_ACTIVE).size();
    RecordingReporter reporter;
    const DeliveryOutcome outcome = printing::DeliverJob(
        "[Load Fonts]", job_.string(), c.destination, reporter, settings_.string());
    EXPECT_EQ(outcome.result, c.result);
    EXPECT_EQ(outcome.failedPrinters, c.failed);
    EXPECT_EQ(reporter.calls, Calls(c.result, c.failed, c.destination));
    ASSERT_EQ(reporter.reasons.size(), c.failed.size());
    if (!c.reason.empty()) {
      EXPECT_NE(reporter.reasons[0].find(c.reason), std::string::npos) << reporter.reasons[0];
    }
    ExpectOneMoreJob(before);
    EXPECT_EQ(CountJobs(refusing), untouched);
    EXPECT_EQ(printing_test::QueueJobs("km_stopped", CUPS_WHICHJOBS_ACTIVE).size(),
              held + (c.destination == group("with_stopped")));
  }
  // The job file belongs to the caller.
  EXPECT_TRUE(std::filesystem::exists(job_));
  EXPECT_EQ(printing::ReadPrinterGroup("commas", settings_.string()),
            (Names{"km_ps_one", "km_ps_two"}));
}

TEST_F(DeliverJob, GroupFromStandardSettingsLocation) {
  folder_.File("appdata/Norvale/KORA/KMAN/koramanage.ini",
               "[printer-groups]\nstandard=km_raw_described\n");
  const km_test::EnvOverride appData("KORAMANAGE_APPDATA", (folder_ / "appdata").string());
  const auto before = CountJobs({"km_raw_described"});
  RecordingReporter reporter;
  const DeliveryOutcome outcome = printing::DeliverJob(
      "[Load Fonts]", job_.string(), printing::GroupDestination("standard"), reporter);
  EXPECT_EQ(outcome.result, Result::kDelivered);
  ExpectOneMoreJob(before);
}

}  // namespace
