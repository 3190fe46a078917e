#pragma once
// A private print server for tests, the benchmark and the demo: a cupsd started as our child
// with its own configuration and folders under one temporary root, listening only on a UNIX
// socket there, with queues on socket:// devices. Behind every queue listens a network
// printer (the job sink, or the printer simulator) that keeps each job it receives.

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace print_server {

enum class QueueDriver {
  kPostScript,  // the generic PostScript PPD: no conversion filter
  kPcl,         // the sample PCL laser PPD: converts through raster filters
  kRaw,         // no PPD at all
};

struct QueueSpec {
  std::string name;
  QueueDriver driver = QueueDriver::kPostScript;
  std::string nickName;     // replaces the PPD's *NickName (the make-and-model) when set
  std::string description;  // printer-info when set
  bool accepting = true;    // false: the queue rejects new jobs
  bool enabled = true;      // false: the queue is stopped and holds its jobs
};

// The queues every printing test can rely on.
std::vector<QueueSpec> StandardQueues();

struct ServerOptions {
  std::vector<QueueSpec> queues;
  // The network printer program, started as PROGRAM --listen 127.0.0.1:PORT --disk DIR
  // --pages DIR --keep-jobs DIR. Empty: the job sink built beside the tests.
  std::string printerProgram;
  // Keep the root folder after Stop (for looking at logs).
  bool keepRoot = false;
  // Use this folder (new or empty; kept after Stop) instead of a temporary one.
  std::string rootFolder;
  // Raw queues km_seed_0001, km_seed_0002, ... laid down in the server's configuration
  // before it starts (quick even for a thousand queues); no printer listens behind them.
  std::size_t seededRawQueues = 0;
  std::string seededDescription;
};

class PrivatePrintServer {
 public:
  PrivatePrintServer() = default;
  ~PrivatePrintServer() { Stop(); }
  PrivatePrintServer(const PrivatePrintServer&) = delete;
  PrivatePrintServer& operator=(const PrivatePrintServer&) = delete;

  // Starts the server and its queues, and points CUPS_SERVER of this process at it (call it
  // before any thread starts). False with a reason when anything fails; what was started is
  // stopped again.
  bool Start(const ServerOptions& options, std::string* error);
  // Stops the printers and the server, restores CUPS_SERVER and removes the root folder.
  void Stop();
  // Ends only the scheduler (SIGTERM, or another signal), leaving CUPS_SERVER pointing at it.
  void StopScheduler(int signal);
  // Sends the scheduler a signal without waiting for it (SIGSTOP pauses it: connections are
  // still accepted, nothing is answered; SIGCONT resumes it).
  bool SignalScheduler(int signal) const;

  bool running() const { return cupsd_ > 0; }
  const std::filesystem::path& root() const { return root_; }
  std::string socketPath() const { return (root_ / "cups.sock").string(); }
  std::filesystem::path jobsFolder(const std::string& queue) const;
  std::filesystem::path diskFolder(const std::string& queue) const;
  // Where the printer simulator writes the pages it prints (the sink prints none).
  std::filesystem::path pagesFolder(const std::string& queue) const;

  // Complete jobs the printer behind a queue has kept, oldest first.
  std::vector<std::filesystem::path> ReceivedJobs(const std::string& queue) const;
  // Polls until the printer has kept at least count jobs; false on timeout.
  bool WaitForJobs(const std::string& queue, std::size_t count,
                   std::chrono::seconds timeout = std::chrono::seconds(120)) const;

  // Runs a CUPS tool (lpadmin, lpstat, cancel, ...) against this server; its exit status, or
  // -1 when it could not run. Output goes to *output when given, else to the tools log.
  int RunTool(const std::vector<std::string>& argv, std::string* output = nullptr) const;

 private:
  struct Child {
    std::string queue;
    pid_t pid = -1;
  };
  bool WriteConfiguration(std::string* error);
  bool SeedQueues(std::string* error);
  bool WaitUntilRunning(std::string* error);
  bool PreparePpds(std::string* error);
  bool AddQueue(const QueueSpec& queueSpec, std::string* error);
  std::string SchedulerLog() const;

  ServerOptions options_;
  std::filesystem::path root_;
  pid_t cupsd_ = -1;
  std::vector<Child> printers_;
  std::optional<std::string> savedCupsServer_;
  bool started_ = false;
};

// Ports and processes: a free TCP port on 127.0.0.1, and whether something listens there.
int FreeLocalPort();
bool IsListening(int port);

}  // namespace print_server
