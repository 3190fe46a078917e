// One raw job per file: the printer receives the bytes unchanged, titled with the document
// name; refusals are failures and leave no held job.

#include <gtest/gtest.h>

#include "file_io.h"
#include "printing/job_delivery.h"
#include "printing_server_env.h"
#include "random_bytes.h"
#include "scratch_folder.h"

namespace {

using printing_test::SharedServer;

TEST(SendFile, PrinterReceivesTheSameBytesUnderTheTitle) {
  const km_test::ScratchFolder folder("km_print");
  const std::string queue = "km_ps_one";
  for (std::size_t size : {1, 32767, 32768, 32769, 65536, 10 * 1024 * 1024}) {
    const std::string bytes = km_test::RandomBytes(size, static_cast<unsigned>(size));
    const auto job = folder.File("job.ps", bytes);
    const std::size_t before = SharedServer().ReceivedJobs(queue).size();
    const std::string title = "[Send Files] size " + std::to_string(size);
    std::string error;
    ASSERT_TRUE(printing::SendFileToPrinter(title, job.string(), queue, &error)) << error;
    ASSERT_TRUE(SharedServer().WaitForJobs(queue, before + 1)) << size;
    const auto received = SharedServer().ReceivedJobs(queue);
    ASSERT_EQ(received.size(), before + 1);
    EXPECT_TRUE(km_test::ReadFile(received.back()) == bytes) << size;
    EXPECT_EQ(printing_test::NewestJob(queue).title, title);
  }
}

TEST(SendFile, FailuresNameTheCauseAndLeaveNoJobHeld) {
  const km_test::ScratchFolder folder("km_print");
  const std::string job = folder.File("job.ps", "%!PS\nshowpage\n").string();
  const struct {
    std::string title;
    std::string file;
    std::string queue;
    std::string error;  // part of the message
    bool canceled;      // the server shows the job, canceled
  } cases[] = {
      {"[Empty]", folder.File("empty.ps", "").string(), "km_ps_two", "", true},
      // A folder opens like a file and fails at the first read.
      {"[Unreadable]", folder.path().string(), "km_ps_two", "cannot read the job file", true},
      {"[Missing]", (folder / "absent.ps").string(), "km_ps_one", "absent.ps", false},
      {"[Unknown]", job, "km_no_such_queue", "", false},
      {"[Rejecting]", job, "km_rejecting", "", false},
  };
  for (const auto& c : cases) {
    const auto before = SharedServer().ReceivedJobs(c.queue).size();
    std::string error;
    EXPECT_FALSE(printing::SendFileToPrinter(c.title, c.file, c.queue, &error)) << c.title;
    EXPECT_NE(error, "") << c.title;
    EXPECT_NE(error.find(c.error), std::string::npos) << error;
    EXPECT_TRUE(printing_test::QueueJobs(c.queue, CUPS_WHICHJOBS_ACTIVE).empty()) << c.title;
    if (c.canceled) {
      const printing_test::QueueJob newest = printing_test::NewestJob(c.queue);
      EXPECT_EQ(newest.title, c.title);
      EXPECT_EQ(newest.state, IPP_JSTATE_CANCELED) << c.title;
    }
    EXPECT_EQ(SharedServer().ReceivedJobs(c.queue).size(), before) << c.title;
  }

  // A stopped queue accepts the job and holds it.
  const auto held = printing_test::QueueJobs("km_stopped", CUPS_WHICHJOBS_ACTIVE).size();
  std::string error;
  EXPECT_TRUE(printing::SendFileToPrinter("held", job, "km_stopped", &error)) << error;
  EXPECT_EQ(printing_test::QueueJobs("km_stopped", CUPS_WHICHJOBS_ACTIVE).size(), held + 1);
  EXPECT_TRUE(SharedServer().ReceivedJobs("km_stopped").empty());
}

}  // namespace
