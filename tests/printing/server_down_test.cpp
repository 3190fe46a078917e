// A print server without printers, one with more PostScript printers than the list holds, one
// that is not running, one that does not answer, and an address where none listens.

#include <gtest/gtest.h>
#include <signal.h>

#include <cstdio>
#include <future>
#include <string>

#include "env_override.h"
#include "printing/destinations.h"
#include "printing/job_delivery.h"
#include "printing/printer_list.h"
#include "printing_server_env.h"
#include "scratch_folder.h"

namespace {

using printing_test::RecordingReporter;
using Names = std::vector<std::string>;

// Runs against a second private server, then returns to the shared one.
class OtherServer : public ::testing::Test {
 protected:
  void Start(const std::vector<print_server::QueueSpec>& queues, int seededRawQueues = 0) {
    print_server::ServerOptions options;
    options.queues = queues;
    options.seededRawQueues = seededRawQueues;
    // Seeded raw queues whose description passes the name test are PostScript printers.
    options.seededDescription = "Generic PS Driver";
    std::string error;
    ASSERT_TRUE(server_.Start(options, &error)) << error;
  }
  void TearDown() override {
    server_.SignalScheduler(SIGCONT);
    server_.Stop();
  }

  print_server::PrivatePrintServer server_;
  km_test::ScratchFolder folder_{"km_print"};
  std::string job_ = folder_.File("job.ps", "%!PS\nshowpage\n").string();
  std::string settings_ =
      folder_.File("koramanage.ini", "[printer-groups]\npair=km_ps_one,km_ps_two\n").string();
};

TEST_F(OtherServer, NoPrintersGivesTheReservedEntry) {
  Start({});
  std::string error;
  EXPECT_EQ(printing::ListPostScriptPrinters(&error), Names{"[No Printers Available]"});
  EXPECT_EQ(error, "");
  EXPECT_EQ(printing::DestinationList(settings_),
            (Names{"[No Printers Available]", printing::GroupDestination("pair")}));
}

TEST_F(OtherServer, The1025thPrinterAndLaterAreNotListed) {
  Start({}, 1030);
  auto seeded = [](int n) { return "km_seed_" + std::to_string(10000 + n).substr(1); };
  std::vector<printing::PrinterRecord> all;
  std::string error;
  ASSERT_TRUE(printing::EnumeratePrinters(all, &error)) << error;
  ASSERT_EQ(all.size(), 1030u);
  const Names listed = printing::ListPostScriptPrinters(&error);
  EXPECT_EQ(error, "");
  ASSERT_EQ(listed.size(), 1024u);
  EXPECT_EQ(listed.front(), seeded(1));
  EXPECT_EQ(listed.back(), seeded(1024));
  EXPECT_TRUE(printing::IsInstalledPrinter(seeded(1024)));
  EXPECT_FALSE(printing::IsInstalledPrinter(seeded(1025)));
  // A printer named as the destination passes the same test.
  EXPECT_EQ(printing::NotListedReason(seeded(1024)), "");
  EXPECT_EQ(printing::NotListedReason(seeded(1025)),
            "beyond the first 1024 PostScript printers, which are all that are offered");
}

// A stopped scheduler, and a killed one that leaves its socket file behind.
TEST_F(OtherServer, ServerThatIsGoneFailsEveryDeliveryAndList) {
  for (int signal : {SIGTERM, SIGKILL}) {
    SCOPED_TRACE(signal);
    Start({});
    server_.StopScheduler(signal);
    for (const std::string& destination :
         {std::string("km_ps_one"), printing::GroupDestination("pair")}) {
      RecordingReporter reporter;
      const auto outcome =
          printing::DeliverJob("[Delete Files]", job_, destination, reporter, settings_);
      EXPECT_EQ(outcome.result, printing::DeliveryOutcome::Result::kFailed) << destination;
      ASSERT_FALSE(reporter.reasons.empty());
      for (const std::string& reason : reporter.reasons) {
        EXPECT_NE(reason.find("cannot reach the print server"), std::string::npos) << reason;
      }
      ASSERT_EQ(reporter.calls.size(), 2u);
      EXPECT_EQ(reporter.calls[0], "status:");
      EXPECT_EQ(reporter.calls[1].rfind("error:KORAManage cannot send the job", 0), 0u);
    }
    std::string listError;
    EXPECT_EQ(printing::ListPostScriptPrinters(&listError), Names{"[No Printers Available]"});
    std::string destinationsError;
    printing::DestinationList(settings_, &destinationsError);
    for (const std::string& error : {listError, destinationsError}) {
      EXPECT_NE(error.find("cannot reach the print server"), std::string::npos) << error;
    }
    server_.Stop();
  }
}

// A paused scheduler still accepts connections and never answers: each operation gives up
// after the response limit with the same message, instead of waiting for ever. The three
// wait side by side.
TEST_F(OtherServer, PausedServerGivesUpWithTheUnreachableMessage) {
  Start({{"km_ps_one", print_server::QueueDriver::kPostScript, {}, {}, true, true}});
  std::vector<printing::PrinterRecord> records;
  std::string error;
  ASSERT_TRUE(printing::EnumeratePrinters(records, &error)) << error;
  ASSERT_EQ(records.size(), 1u);
  ASSERT_TRUE(server_.SignalScheduler(SIGSTOP));
  auto enumerate = std::async(std::launch::async, [] {
    std::string error;
    std::vector<printing::PrinterRecord> printers;
    return printing::EnumeratePrinters(printers, &error) ? "answered" : error;
  });
  auto isPostScript = std::async(std::launch::async, [&records] {
    std::string error;
    return printing::IsPostScriptPrinter(records[0], &error) ? "answered" : error;
  });
  auto send = std::async(std::launch::async, [this] {
    std::string error;
    return printing::SendFileToPrinter("[Paused]", job_, "km_ps_one", &error) ? "answered" : error;
  });
  const std::string unreachable = "cannot reach the print server " + server_.socketPath() +
                                  ": no answer within " +
                                  std::to_string(printing::kResponseTimeoutSeconds) + " s";
  EXPECT_EQ((Names{enumerate.get(), isPostScript.get(), send.get()}), Names(3, unreachable));

  // Nothing was broken on the way: resumed, the server answers again.
  ASSERT_TRUE(server_.SignalScheduler(SIGCONT));
  EXPECT_EQ(printing::ListPostScriptPrinters(&error), Names{"km_ps_one"});
  EXPECT_EQ(error, "");
}

TEST(NoServer, UnreachableAddressFailsNamingIt) {
  // Nothing listens on port 1 of this host: refused at once.
  {
    const km_test::EnvOverride server("CUPS_SERVER", "127.0.0.1:1");
    cupsSetServer(nullptr);
    const km_test::ScratchFolder folder("km_print");
    std::string error;
    EXPECT_FALSE(
        printing::SendFileToPrinter("doc", folder.File("job.ps", "x").string(), "any", &error));
    EXPECT_NE(error.find("cannot reach the print server 127.0.0.1"), std::string::npos) << error;
  }
  cupsSetServer(nullptr);
}

}  // namespace
