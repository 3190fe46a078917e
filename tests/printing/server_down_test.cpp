// A print server without printers, and one that is not running.

#include <gtest/gtest.h>
#include <signal.h>

#include <chrono>

#include "printing/destinations.h"
#include "printing/job_delivery.h"
#include "printing/printer_list.h"
#include "printing_server_env.h"

namespace {

using Clock = std::chrono::steady_clock;
using printing_test::RecordingReporter;

// Runs against a second private server, then returns to the shared one.
class OtherServer : public ::testing::Test {
 protected:
  void SetUp() override {
    print_server::ServerOptions options;
    std::string error;
    ASSERT_TRUE(server_.Start(options, &error)) << error;
    job_ = folder_ / "job.ps";
    printing_test::WriteBytes(job_, "%!PS\nshowpage\n");
    settings_ = folder_ / "koramanage.ini";
    printing_test::WriteBytes(settings_, "[printer-groups]\npair=km_ps_one,km_ps_two\n");
  }
  void TearDown() override { server_.Stop(); }

  print_server::PrivatePrintServer server_;
  printing_test::TestFolder folder_;
  std::filesystem::path job_;
  std::filesystem::path settings_;
};

TEST_F(OtherServer, NoPrintersGivesTheReservedEntry) {
  std::string error;
  EXPECT_EQ(printing::ListPostScriptPrinters(&error),
            std::vector<std::string>{"[No Printers Available]"});
  EXPECT_EQ(error, "");
  EXPECT_EQ(
      printing::DestinationList(settings_.string()),
      (std::vector<std::string>{"[No Printers Available]", printing::GroupDestination("pair")}));
}

void ExpectEveryDeliveryFailsFast(const std::filesystem::path& job,
                                  const std::filesystem::path& settings) {
  for (const std::string& destination :
       {std::string("km_ps_one"), printing::GroupDestination("pair")}) {
    RecordingReporter reporter;
    const auto start = Clock::now();
    const auto outcome = printing::DeliverJob("[Delete Files]", job.string(), destination, reporter,
                                              settings.string());
    const auto elapsed = Clock::now() - start;
    EXPECT_LT(elapsed, std::chrono::seconds(5)) << destination;
    EXPECT_EQ(outcome.result, printing::DeliveryOutcome::Result::kFailed) << destination;
    ASSERT_FALSE(reporter.reasons.empty());
    for (const std::string& reason : reporter.reasons) {
      EXPECT_NE(reason.find("cannot reach the print server"), std::string::npos) << reason;
    }
    ASSERT_EQ(reporter.calls.size(), 2u);
    EXPECT_EQ(reporter.calls[0], "status:");
    EXPECT_EQ(reporter.calls[1].rfind("error:KORAManage cannot send the job", 0), 0u);
  }
}

TEST_F(OtherServer, StoppedServerFailsEveryDeliveryQuickly) {
  server_.StopScheduler(SIGTERM);
  ExpectEveryDeliveryFailsFast(job_, settings_);
  std::string error;
  EXPECT_EQ(printing::ListPostScriptPrinters(&error),
            std::vector<std::string>{"[No Printers Available]"});
  EXPECT_NE(error.find("cannot reach the print server"), std::string::npos) << error;
  error.clear();
  printing::DestinationList(settings_.string(), &error);
  EXPECT_NE(error.find("cannot reach the print server"), std::string::npos) << error;
}

TEST_F(OtherServer, KilledServerFailsEveryDeliveryQuickly) {
  // A killed scheduler leaves its socket file behind.
  server_.StopScheduler(SIGKILL);
  ExpectEveryDeliveryFailsFast(job_, settings_);
}

// A paused scheduler still accepts connections and never answers: every operation gives up
// after the response limit with the same message, instead of waiting for ever.
class PausedServer : public OtherServer {
 protected:
  void SetUp() override {
    print_server::ServerOptions options;
    options.queues = {{"km_ps_one", print_server::QueueDriver::kPostScript, {}, {}, true, true}};
    std::string error;
    ASSERT_TRUE(server_.Start(options, &error)) << error;
    ASSERT_TRUE(printing::EnumeratePrinters(records_, &error)) << error;
    ASSERT_EQ(records_.size(), 1u);
    job_ = folder_ / "job.ps";
    printing_test::WriteBytes(job_, "%!PS\nshowpage\n");
    ASSERT_TRUE(server_.SignalScheduler(SIGSTOP));
  }
  void TearDown() override {
    server_.SignalScheduler(SIGCONT);
    server_.Stop();
  }

  std::vector<printing::PrinterRecord> records_;
};

TEST_F(PausedServer, EveryOperationGivesUpWithTheUnreachableMessage) {
  const std::string unreachable = "cannot reach the print server " + server_.socketPath() +
                                  ": no answer within " +
                                  std::to_string(printing::kResponseTimeoutSeconds) + " s";
  std::string error;
  std::vector<printing::PrinterRecord> printers;
  EXPECT_FALSE(printing::EnumeratePrinters(printers, &error));
  EXPECT_EQ(error, unreachable);

  error.clear();
  EXPECT_FALSE(printing::IsPostScriptPrinter(records_[0], &error));
  EXPECT_EQ(error, unreachable);

  error.clear();
  EXPECT_FALSE(printing::SendFileToPrinter("[Paused]", job_.string(), "km_ps_one", &error));
  EXPECT_EQ(error, unreachable);

  error.clear();
  EXPECT_EQ(printing::DestinationList({}, &error),
            std::vector<std::string>{printing::NoPrinterText()});
  EXPECT_EQ(error, unreachable);

  // Nothing was broken on the way: resumed, the server answers again.
  ASSERT_TRUE(server_.SignalScheduler(SIGCONT));
  error.clear();
  EXPECT_EQ(printing::ListPostScriptPrinters(&error), std::vector<std::string>{"km_ps_one"});
  EXPECT_EQ(error, "");
}

TEST(NoServer, UnreachableAddressFailsWithinTheConnectLimit) {
  // Nothing listens on port 1 of this host: refused at once.
  const char* saved = getenv("CUPS_SERVER");
  const std::string restore = saved ? saved : "";
  setenv("CUPS_SERVER", "127.0.0.1:1", 1);
  cupsSetServer(nullptr);
  printing_test::TestFolder folder;
  printing_test::WriteBytes(folder / "job.ps", "x");
  std::string error;
  const auto start = Clock::now();
  EXPECT_FALSE(printing::SendFileToPrinter("doc", (folder / "job.ps").string(), "any", &error));
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
  EXPECT_NE(error.find("cannot reach the print server 127.0.0.1"), std::string::npos) << error;
  setenv("CUPS_SERVER", restore.c_str(), 1);
  cupsSetServer(nullptr);
}

}  // namespace
