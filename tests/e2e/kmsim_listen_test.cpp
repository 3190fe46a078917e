// kmsim as a network printer: jobs over raw TCP, one per connection, in arrival order;
// a job that breaks off does not stop the printer.

#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <optional>

#include "e2e_fixture.h"
#include "running_program.h"

namespace e2e {
namespace {

int Connect(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<std::uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

bool SendAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return true;
}

// Sends a whole job and waits until the printer closes the connection (job done).
void Deliver(int port, std::string_view job) {
  const int fd = Connect(port);
  ASSERT_GE(fd, 0);
  ASSERT_TRUE(SendAll(fd, job));
  shutdown(fd, SHUT_WR);
  char byte;
  while (recv(fd, &byte, 1, 0) > 0) {
  }
  close(fd);
}

bool Has(const Strings& lines, const std::string& line) {
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// The note of a "received 127.0.0.1:PORT NOTE" report line.
std::string Note(const std::string& line) {
  if (line.rfind("received 127.0.0.1:", 0) != 0) return "not a received line: " + line;
  return line.substr(line.find_last_of(' ') + 1);
}

class KmsimListen : public E2eTest {
 protected:
  // Starts kmsim --listen on the disk (standard error to kmsim.err); its port, or -1.
  int Listen(Strings options) {
    options.insert(options.begin(), {"--listen", "127.0.0.1:0", "--disk", disk_.string()});
    printer_.emplace(KMSIM_PATH, options, root_ / "kmsim.err");
    const std::string ready = printer_->NextLine();
    if (ready.rfind("listening 127.0.0.1:", 0) != 0) return -1;
    return std::stoi(ready.substr(ready.rfind(':') + 1));
  }
  // Report lines up to and including the next verdict.
  Strings UntilVerdict() {
    Strings lines;
    for (std::string line; !(line = printer_->NextLine()).empty();) {
      lines.push_back(line);
      if (line.rfind("verdict ", 0) == 0) break;
    }
    return lines;
  }
  std::optional<km_test::RunningProgram> printer_;
};

TEST_F(KmsimListen, ServesJobsInOrderAndSurvivesBrokenOnes) {
  const int port = Listen({"--keep-jobs", (root_ / "kept").string()});
  ASSERT_GT(port, 0);
  // A print server checking that the printer is there: no job.
  close(Connect(port));
  EXPECT_EQ(Note(printer_->NextLine()), "empty");

  const std::string first = ReadFile(
      MakeJob("first.kj", {"load-files", Local("a", "first file").string() + "=mtbc/mislib/a"}));
  Deliver(port, first);
  Strings report = UntilVerdict();
  EXPECT_TRUE(Has(report, "added mtbc/mislib/a")) << report.size();
  EXPECT_EQ(report.back(), "verdict ok");
  EXPECT_EQ(ReadFile(disk_ / "mtbc/mislib/a"), "first file");
  EXPECT_TRUE(ReadFile(root_ / "kept/job-000001.bin") == first);

  // A connection that breaks off inside the data: reset, not closed.
  std::string big;
  for (int i = 0; i < 200000; ++i) big.push_back(static_cast<char>(i * 13));
  const std::string second =
      ReadFile(MakeJob("second.kj", {"load-files", Local("b", big).string() + "=mtbc/mislib/a"}));
  {
    const int fd = Connect(port);
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(SendAll(fd, second.substr(0, second.size() / 2)));
    usleep(200000);
    linger abort{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    close(fd);
  }
  report = UntilVerdict();
  ASSERT_FALSE(report.empty());
  EXPECT_EQ(Note(report.front()), "connection-broken");
  // Where the cut falls depends on how much arrived before the reset; the old file stays.
  EXPECT_EQ(report.back().rfind("verdict failed error ", 0), 0u) << report.back();
  EXPECT_FALSE(Has(report, "replaced mtbc/mislib/a"));
  EXPECT_EQ(ReadFile(disk_ / "mtbc/mislib/a"), "first file");

  // Two connections made at once are run one after the other, first come first served.
  const std::string third = ReadFile(
      MakeJob("third.kj", {"load-files", Local("c", "third").string() + "=mtbc/mislib/c"}));
  const std::string fourth = ReadFile(MakeJob("fourth.kj", {"remove-files", "mtbc/mislib/c"}));
  const int a = Connect(port);
  const int b = Connect(port);
  ASSERT_TRUE(SendAll(b, fourth));
  ASSERT_TRUE(SendAll(a, third));
  shutdown(a, SHUT_WR);
  shutdown(b, SHUT_WR);
  EXPECT_TRUE(Has(UntilVerdict(), "added mtbc/mislib/c"));
  EXPECT_TRUE(Has(UntilVerdict(), "removed mtbc/mislib/c"));
  close(a);
  close(b);
  EXPECT_EQ(DiskFiles(), Strings{"mtbc/mislib/a"});

  EXPECT_EQ(printer_->Stop(SIGTERM), 0);
  EXPECT_TRUE(ReadFile(root_ / "kept/job-000004.bin") == fourth);
  EXPECT_FALSE(fs::exists(root_ / "kept/job-000005.bin"));
}

TEST_F(KmsimListen, ASilentSenderEndsItsJob) {
  const int port = Listen({"--idle-timeout", "1"});
  ASSERT_GT(port, 0);
  const std::string job = ReadFile(
      MakeJob("job.kj", {"load-files", Local("a", std::string(5000, 'a')).string() + "=mtbc/a"}));
  const int fd = Connect(port);
  ASSERT_GE(fd, 0);
  ASSERT_TRUE(SendAll(fd, job.substr(0, job.size() - 100)));
  const Strings report = UntilVerdict();
  close(fd);
  ASSERT_FALSE(report.empty());
  EXPECT_EQ(Note(report.front()), "idle-timeout");
  EXPECT_EQ(report.back(), "verdict failed error ioerror load_file");
  EXPECT_TRUE(DiskFiles().empty());
  EXPECT_EQ(printer_->Stop(SIGTERM), 0);
}

TEST_F(KmsimListen, AJobWithoutEndDoesNotStopThePrinter) {
  const int port = Listen({"--timeout", "3"});
  ASSERT_GT(port, 0);
  Deliver(port, "%!\n{ (printing without end ) print } loop\n");
  EXPECT_EQ(UntilVerdict().back(), "verdict failed timeout");
  // Only the end of the output is kept, in memory (peak from /proc) and on standard error.
  const std::string status = ReadFile("/proc/" + std::to_string(printer_->pid()) + "/status");
  ASSERT_NE(status.find("VmHWM:"), std::string::npos);
  EXPECT_LT(std::stol(status.substr(status.find("VmHWM:") + 6)), 256 * 1024);
  EXPECT_LT(fs::file_size(root_ / "kmsim.err"), 80u * 1024);
  EXPECT_NE(ReadFile(root_ / "kmsim.err").find("without end printing without end"),
            std::string::npos);

  Deliver(port, "%!\n(mtbc/a) (w) file closefile\n");
  const Strings next = UntilVerdict();
  EXPECT_TRUE(Has(next, "added mtbc/a"));
  EXPECT_EQ(next.back(), "verdict ok");
}

TEST_F(KmsimListen, SlowAndOversizedJobsAreCutOrRefused) {
  const int port = Listen({"--idle-timeout", "60", "--receive-timeout", "2", "--max-job-bytes",
                           "100000", "--keep-jobs", (root_ / "kept").string()});
  ASSERT_GT(port, 0);
  // One byte now and then, never silent long enough for the idle timeout.
  const int slow = Connect(port);
  ASSERT_GE(slow, 0);
  std::string line;
  for (int i = 0; i < 100 && line.empty(); ++i) {
    send(slow, "%", 1, MSG_NOSIGNAL);
    line = printer_->NextLine(200);
  }
  close(slow);
  EXPECT_EQ(Note(line), "receive-timeout");
  EXPECT_EQ(UntilVerdict().back(), "verdict ok");

  // Too large: refused unread, not run, not kept.
  const int large = Connect(port);
  ASSERT_GE(large, 0);
  SendAll(large, "%!\n(mtbc/large) (w) file closefile\n" + std::string(200000, '%'));
  close(large);
  EXPECT_EQ(Note(printer_->NextLine()), "too-large");

  Deliver(port, "%!\n(mtbc/small) (w) file closefile\n");
  const Strings report = UntilVerdict();
  ASSERT_FALSE(report.empty());
  EXPECT_EQ(report.front().rfind("job 2 ", 0), 0u) << report.front();
  EXPECT_EQ(report.back(), "verdict ok");
  EXPECT_EQ(DiskFiles(), Strings{"mtbc/small"});
  EXPECT_EQ(printer_->Stop(SIGTERM), 0);
  EXPECT_TRUE(fs::exists(root_ / "kept/job-000002.bin"));
  EXPECT_FALSE(fs::exists(root_ / "kept/job-000003.bin"));
}

}  // namespace
}  // namespace e2e
