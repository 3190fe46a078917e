// kmsim as a network printer: jobs over raw TCP, one per connection, in arrival order;
// a job that breaks off does not stop the printer.

#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>

#include <chrono>

#include "e2e_fixture.h"

namespace e2e {
namespace {

using Strings = std::vector<std::string>;

// A kmsim --listen child whose report is read line by line.
class Printer {
 public:
  Printer(const fs::path& dir, std::vector<std::string> arguments) {
    int out[2];
    if (pipe(out) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(out[1], 1);
      const int err = ::open((dir / "kmsim.err").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (err >= 0) dup2(err, 2);
      close(out[0]);
      std::vector<char*> argv{const_cast<char*>(KMSIM_PATH)};
      for (std::string& a : arguments) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(KMSIM_PATH, argv.data());
      _exit(127);
    }
    close(out[1]);
    fd_ = out[0];
  }
  ~Printer() {
    if (pid_ > 0) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (fd_ >= 0) close(fd_);
  }

  // The next report line, or "" after the timeout or at the end of the output.
  std::string NextLine(int timeoutMs = 60000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (true) {
      const std::size_t newline = buffer_.find('\n');
      if (newline != std::string::npos) {
        std::string line = buffer_.substr(0, newline);
        buffer_.erase(0, newline + 1);
        return line;
      }
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                            deadline - std::chrono::steady_clock::now())
                            .count();
      if (left <= 0) return "";
      pollfd p{fd_, POLLIN, 0};
      if (poll(&p, 1, static_cast<int>(left)) <= 0) return "";
      char chunk[4096];
      const ssize_t n = read(fd_, chunk, sizeof chunk);
      if (n <= 0) return "";
      buffer_.append(chunk, static_cast<std::size_t>(n));
    }
  }

  // Report lines up to and including the next verdict.
  Strings UntilVerdict() {
    Strings lines;
    while (true) {
      std::string line = NextLine();
      if (line.empty()) return lines;
      lines.push_back(line);
      if (line.rfind("verdict ", 0) == 0) return lines;
    }
  }

  pid_t Pid() const { return pid_; }

  // The port of "listening 127.0.0.1:PORT", the first report line; -1 when it is not.
  int Port() {
    const std::string ready = NextLine();
    if (ready.rfind("listening 127.0.0.1:", 0) != 0) return -1;
    return std::stoi(ready.substr(ready.rfind(':') + 1));
  }

  int Stop() {
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

 private:
  pid_t pid_ = -1;
  int fd_ = -1;
  std::string buffer_;
};

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

class KmsimListen : public E2eTest {};

TEST_F(KmsimListen, ServesJobsInOrderAndSurvivesBrokenOnes) {
  Printer printer(root_, {"--listen", "127.0.0.1:0", "--disk", disk_.string(), "--keep-jobs",
                          (root_ / "kept").string()});
  const std::string ready = printer.NextLine();
  ASSERT_EQ(ready.rfind("listening 127.0.0.1:", 0), 0u) << ready;
  const int port = std::stoi(ready.substr(ready.rfind(':') + 1));

  // A print server checking that the printer is there: no job.
  close(Connect(port));
  const std::string probe = printer.NextLine();
  EXPECT_EQ(probe.rfind("received 127.0.0.1:", 0), 0u) << probe;
  EXPECT_EQ(probe.substr(probe.find_last_of(' ')), " empty");

  const std::string first = ReadFile(
      MakeJob("first.kj", {"load-files", Local("a", "first file").string() + "=mtbc/mislib/a"}));
  Deliver(port, first);
  Strings report = printer.UntilVerdict();
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
  report = printer.UntilVerdict();
  ASSERT_FALSE(report.empty());
  EXPECT_EQ(report.front().rfind("received 127.0.0.1:", 0), 0u) << report.front();
  EXPECT_NE(report.front().find(" connection-broken"), std::string::npos) << report.front();
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
  report = printer.UntilVerdict();
  EXPECT_TRUE(Has(report, "added mtbc/mislib/c"));
  report = printer.UntilVerdict();
  EXPECT_TRUE(Has(report, "removed mtbc/mislib/c"));
  close(a);
  close(b);
  EXPECT_EQ(DiskFiles(), Strings{"mtbc/mislib/a"});

  EXPECT_EQ(printer.Stop(), 0);
  EXPECT_TRUE(ReadFile(root_ / "kept/job-000004.bin") == fourth);
  EXPECT_FALSE(fs::exists(root_ / "kept/job-000005.bin"));
}

TEST_F(KmsimListen, ASilentSenderEndsItsJob) {
  Printer printer(root_,
                  {"--listen", "127.0.0.1:0", "--disk", disk_.string(), "--idle-timeout", "1"});
  const std::string ready = printer.NextLine();
  ASSERT_EQ(ready.rfind("listening 127.0.0.1:", 0), 0u) << ready;
  const int port = std::stoi(ready.substr(ready.rfind(':') + 1));
  const std::string job = ReadFile(
      MakeJob("job.kj", {"load-files", Local("a", std::string(5000, 'a')).string() + "=mtbc/a"}));
  const int fd = Connect(port);
  ASSERT_GE(fd, 0);
  ASSERT_TRUE(SendAll(fd, job.substr(0, job.size() - 100)));
  const Strings report = printer.UntilVerdict();
  close(fd);
  ASSERT_FALSE(report.empty());
  EXPECT_NE(report.front().find(" idle-timeout"), std::string::npos) << report.front();
  EXPECT_EQ(report.back(), "verdict failed error ioerror load_file");
  EXPECT_TRUE(DiskFiles().empty());
  EXPECT_EQ(printer.Stop(), 0);
}

// Peak memory of a process, from /proc.
long PeakKiB(pid_t pid) {
  const std::string status = ReadFile("/proc/" + std::to_string(pid) + "/status");
  const std::size_t at = status.find("VmHWM:");
  return at == std::string::npos ? -1 : std::stol(status.substr(at + 6));
}

TEST_F(KmsimListen, AJobWithoutEndDoesNotStopThePrinter) {
  Printer printer(root_, {"--listen", "127.0.0.1:0", "--disk", disk_.string(), "--timeout", "3"});
  const int port = printer.Port();
  ASSERT_GT(port, 0);
  Deliver(port, "%!\n{ (printing without end ) print } loop\n");
  EXPECT_EQ(printer.UntilVerdict().back(), "verdict failed timeout");
  // Only the end of the output is kept, in memory and on standard error.
  EXPECT_LT(PeakKiB(printer.Pid()), 256 * 1024);
  EXPECT_LT(fs::file_size(root_ / "kmsim.err"), 80u * 1024);
  EXPECT_NE(ReadFile(root_ / "kmsim.err").find("without end printing without end"),
            std::string::npos);

  Deliver(port, "%!\n(mtbc/a) (w) file closefile\n");
  const Strings next = printer.UntilVerdict();
  EXPECT_TRUE(Has(next, "added mtbc/a"));
  EXPECT_EQ(next.back(), "verdict ok");
}

TEST_F(KmsimListen, SlowAndOversizedJobsAreCutOrRefused) {
  Printer printer(root_, {"--listen", "127.0.0.1:0", "--disk", disk_.string(), "--idle-timeout",
                          "60", "--receive-timeout", "2", "--max-job-bytes", "100000",
                          "--keep-jobs", (root_ / "kept").string()});
  const int port = printer.Port();
  ASSERT_GT(port, 0);
  // One byte now and then, never silent long enough for the idle timeout.
  const int slow = Connect(port);
  ASSERT_GE(slow, 0);
  std::string line;
  for (int i = 0; i < 100 && line.empty(); ++i) {
    send(slow, "%", 1, MSG_NOSIGNAL);
    line = printer.NextLine(200);
  }
  close(slow);
  EXPECT_EQ(line.rfind("received 127.0.0.1:", 0), 0u) << line;
  EXPECT_NE(line.find(" receive-timeout"), std::string::npos) << line;
  EXPECT_EQ(printer.UntilVerdict().back(), "verdict ok");

  // Too large: refused unread, not run, not kept.
  const int large = Connect(port);
  ASSERT_GE(large, 0);
  SendAll(large, "%!\n(mtbc/large) (w) file closefile\n" + std::string(200000, '%'));
  close(large);
  line = printer.NextLine();
  EXPECT_EQ(line.rfind("received 127.0.0.1:", 0), 0u) << line;
  EXPECT_NE(line.find(" too-large"), std::string::npos) << line;

  Deliver(port, "%!\n(mtbc/small) (w) file closefile\n");
  const Strings report = printer.UntilVerdict();
  ASSERT_FALSE(report.empty());
  EXPECT_EQ(report.front().rfind("job 2 ", 0), 0u) << report.front();
  EXPECT_EQ(report.back(), "verdict ok");
  EXPECT_EQ(DiskFiles(), Strings{"mtbc/small"});
  EXPECT_EQ(printer.Stop(), 0);
  EXPECT_TRUE(fs::exists(root_ / "kept/job-000002.bin"));
  EXPECT_FALSE(fs::exists(root_ / "kept/job-000003.bin"));
}

TEST_F(KmsimListen, OnlyLoopbackUnlessAllowed) {
  const Outcome refused = Kmsim({"--listen", "0.0.0.0:0"});
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("loopback"), std::string::npos) << refused.err;
  EXPECT_EQ(Kmsim({"--listen", "127.0.0.1"}).status, 2);
}

}  // namespace
}  // namespace e2e
