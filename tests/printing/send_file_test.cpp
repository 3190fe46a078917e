// One raw job per file: the printer receives the bytes unchanged, titled with the document
// name; refusals are failures and leave no held job.

#include <gtest/gtest.h>

#include "printing/job_delivery.h"
#include "printing_server_env.h"

namespace {

using printing_test::SharedServer;

class SendFile : public ::testing::TestWithParam<std::size_t> {};

TEST_P(SendFile, PrinterReceivesTheSameBytes) {
  const std::size_t size = GetParam();
  printing_test::TestFolder folder;
  const auto job = folder / "job.ps";
  const std::string bytes = printing_test::RandomBytes(size, static_cast<unsigned>(size));
  printing_test::WriteBytes(job, bytes);
  const std::string queue = "km_ps_one";
  const std::size_t before = SharedServer().ReceivedJobs(queue).size();
  const std::string title = "[Send Files] size " + std::to_string(size);

  std::string error;
  ASSERT_TRUE(printing::SendFileToPrinter(title, job.string(), queue, &error)) << error;
  ASSERT_TRUE(SharedServer().WaitForJobs(queue, before + 1));
  const auto received = SharedServer().ReceivedJobs(queue);
  ASSERT_EQ(received.size(), before + 1);
  const std::string got = printing_test::ReadBytes(received.back());
  EXPECT_EQ(got.size(), bytes.size());
  EXPECT_TRUE(got == bytes) << "delivered bytes differ from the job file";
  EXPECT_EQ(printing_test::NewestJob(queue).title, title);
}

INSTANTIATE_TEST_SUITE_P(Sizes, SendFile,
                         ::testing::Values(1, 32767, 32768, 32769, 65536, 10 * 1024 * 1024),
                         [](const auto& info) { return "bytes_" + std::to_string(info.param); });

TEST(SendFileFailures, EmptyFileIsRefusedAndNoJobStaysHeld) {
  printing_test::TestFolder folder;
  const auto job = folder / "empty.ps";
  printing_test::WriteBytes(job, "");
  std::string error;
  EXPECT_FALSE(printing::SendFileToPrinter("[Send Submission File] empty", job.string(),
                                           "km_ps_two", &error));
  EXPECT_NE(error, "");
  EXPECT_TRUE(printing_test::QueueJobs("km_ps_two", CUPS_WHICHJOBS_ACTIVE).empty());
  const printing_test::QueueJob newest = printing_test::NewestJob("km_ps_two");
  EXPECT_EQ(newest.title, "[Send Submission File] empty");
  EXPECT_EQ(newest.state, IPP_JSTATE_CANCELED);
}

TEST(SendFileFailures, MissingJobFile) {
  printing_test::TestFolder folder;
  std::string error;
  EXPECT_FALSE(
      printing::SendFileToPrinter("doc", (folder / "absent.ps").string(), "km_ps_one", &error));
  EXPECT_NE(error.find("absent.ps"), std::string::npos) << error;
}

TEST(SendFileFailures, UnreadableJobFileLeavesNoJob) {
  // A folder opens like a file and fails at the first read.
  printing_test::TestFolder folder;
  const auto before = SharedServer().ReceivedJobs("km_ps_two").size();
  std::string error;
  EXPECT_FALSE(
      printing::SendFileToPrinter("[Unreadable]", folder.path().string(), "km_ps_two", &error));
  EXPECT_NE(error.find("cannot read the job file"), std::string::npos) << error;
  EXPECT_TRUE(printing_test::QueueJobs("km_ps_two", CUPS_WHICHJOBS_ACTIVE).empty());
  const printing_test::QueueJob newest = printing_test::NewestJob("km_ps_two");
  EXPECT_EQ(newest.title, "[Unreadable]");
  EXPECT_EQ(newest.state, IPP_JSTATE_CANCELED);
  EXPECT_EQ(SharedServer().ReceivedJobs("km_ps_two").size(), before);
}

TEST(SendFileFailures, UnknownPrinterAndRejectingQueue) {
  printing_test::TestFolder folder;
  const auto job = folder / "job.ps";
  printing_test::WriteBytes(job, "%!PS\nshowpage\n");
  std::string error;
  EXPECT_FALSE(printing::SendFileToPrinter("doc", job.string(), "km_no_such_queue", &error));
  EXPECT_NE(error, "");
  error.clear();
  EXPECT_FALSE(printing::SendFileToPrinter("doc", job.string(), "km_rejecting", &error));
  EXPECT_NE(error, "");
  EXPECT_TRUE(printing_test::QueueJobs("km_rejecting", CUPS_WHICHJOBS_ACTIVE).empty());
}

TEST(SendFileFailures, StoppedQueueAcceptsAndHoldsTheJob) {
  printing_test::TestFolder folder;
  const auto job = folder / "job.ps";
  printing_test::WriteBytes(job, "%!PS\nshowpage\n");
  const auto heldBefore = printing_test::QueueJobs("km_stopped", CUPS_WHICHJOBS_ACTIVE).size();
  std::string error;
  EXPECT_TRUE(printing::SendFileToPrinter("held", job.string(), "km_stopped", &error)) << error;
  const auto held = printing_test::QueueJobs("km_stopped", CUPS_WHICHJOBS_ACTIVE);
  EXPECT_EQ(held.size(), heldBefore + 1);
  EXPECT_TRUE(SharedServer().ReceivedJobs("km_stopped").empty());
}

}  // namespace
