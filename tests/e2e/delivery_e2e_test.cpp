// One task from end to end: kmjob writes a job, the print spooler delivers it as a raw job to
// a queue whose network printer is kmsim, and the printer's disk then holds the files.

#include "e2e_fixture.h"
#include "printing/job_delivery.h"
#include "private_print_server.h"

namespace e2e {
namespace {

using Strings = std::vector<std::string>;

class Delivery : public E2eTest {
 protected:
  void SetUp() override {
    E2eTest::SetUp();
    print_server::ServerOptions options;
    options.queues = {{"km_sim", print_server::QueueDriver::kPostScript, {}, {}, true, true}};
    options.printerProgram = KMSIM_PATH;
    std::string error;
    ASSERT_TRUE(server_.Start(options, &error)) << error;
    disk_ = server_.diskFolder("km_sim");
  }
  void TearDown() override {
    server_.Stop();
    E2eTest::TearDown();
  }

  print_server::PrivatePrintServer server_;
};

TEST_F(Delivery, LoadListAndRemoveThroughThePrintSpooler) {
  std::string big;
  for (int i = 0; i < 300000; ++i) big.push_back(static_cast<char>(i * 31 + i / 1000));
  const fs::path load =
      MakeJob("load.kj", {"load-files", Local("logo.frm", "logo").string(),
                          Local("big.bin", big).string() + "=mtbc/mislib/big (1).bin",
                          "--status-page", "--label", "km_sim"});
  std::string error;
  ASSERT_TRUE(printing::SendFileToPrinter("load", load.string(), "km_sim", &error)) << error;
  ASSERT_TRUE(server_.WaitForJobs("km_sim", 1));
  EXPECT_EQ(ReadFile(disk_ / "mtbc/formlib/logo.frm"), "logo");
  EXPECT_TRUE(ReadFile(disk_ / "mtbc/mislib/big (1).bin") == big);
  // The printer received the job file unchanged.
  EXPECT_TRUE(ReadFile(server_.ReceivedJobs("km_sim").back()) == ReadFile(load));

  const fs::path remove = MakeJob("remove.kj", {"remove-files", "mtbc/mislib/*"});
  ASSERT_TRUE(printing::SendFileToPrinter("remove", remove.string(), "km_sim", &error)) << error;
  ASSERT_TRUE(server_.WaitForJobs("km_sim", 2));
  EXPECT_EQ(DiskFiles(), Strings{"mtbc/formlib/logo.frm"});
}

}  // namespace
}  // namespace e2e
