// Runs the private print server for people and scripts: with a command, the command runs
// against the server (CUPS_SERVER and KM_PRINT_SERVER_ROOT set) and the server stops when it
// ends; without one, the server runs until interrupted. Queue NAME keeps its jobs, disk and
// pages under $KM_PRINT_SERVER_ROOT/printers/NAME/{jobs,disk,pages}.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "private_print_server.h"

namespace {

using print_server::QueueDriver;
using print_server::QueueSpec;

void Usage() {
  std::fprintf(stderr,
               "usage: km_print_server [--standard] [--queue NAME[:ps|pcl|raw]]... "
               "[--ps-queues N]\n"
               "                       [--printer sink|kmsim|PROGRAM] [--keep] [-- COMMAND...]\n"
               "Without queue options the standard test queues are made. The printer behind\n"
               "each queue is the printer simulator when built, else the job sink.\n");
}

std::string SimulatorPath() {
#ifdef KM_KMSIM_PATH
  if (std::filesystem::exists(KM_KMSIM_PATH)) return KM_KMSIM_PATH;
#endif
  return {};
}

int RunCommand(char** argv) {
  const pid_t pid = fork();
  if (pid == 0) {
    signal(SIGINT, SIG_DFL);
    execvp(argv[0], argv);
    std::fprintf(stderr, "km_print_server: cannot run %s: %s\n", argv[0], std::strerror(errno));
    _exit(127);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

int main(int argc, char** argv) {
  print_server::ServerOptions options;
  bool standard = false;
  std::string printer = SimulatorPath().empty() ? "sink" : "kmsim";
  char** command = nullptr;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    auto value = [&]() -> std::string {
      if (i + 1 >= argc) {
        Usage();
        std::exit(2);
      }
      return argv[++i];
    };
    if (arg == "--") {
      command = argv + i + 1;
      break;
    } else if (arg == "--standard") {
      standard = true;
    } else if (arg == "--queue") {
      const std::string queueText = value();
      const std::size_t colon = queueText.find(':');
      QueueSpec queue;
      queue.name = queueText.substr(0, colon);
      const std::string kind = colon == std::string::npos ? "ps" : queueText.substr(colon + 1);
      queue.driver = kind == "pcl"   ? QueueDriver::kPcl
                     : kind == "raw" ? QueueDriver::kRaw
                                     : QueueDriver::kPostScript;
      options.queues.push_back(queue);
    } else if (arg == "--ps-queues") {
      const int count = std::atoi(value().c_str());
      for (int n = 1; n <= count; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "km_ps_%03d", n);
        options.queues.push_back({name, QueueDriver::kPostScript, {}, {}, true, true});
      }
    } else if (arg == "--printer") {
      printer = value();
    } else if (arg == "--keep") {
      options.keepRoot = true;
    } else if (arg == "--root") {
      options.rootFolder = value();
    } else {
      Usage();
      return 2;
    }
  }
  if (standard || options.queues.empty()) {
    const auto queues = print_server::StandardQueues();
    options.queues.insert(options.queues.begin(), queues.begin(), queues.end());
  }
  if (printer == "kmsim") {
    options.printerProgram = SimulatorPath();
    if (options.printerProgram.empty()) {
      std::fprintf(stderr, "km_print_server: the printer simulator kmsim is not built\n");
      return 2;
    }
  } else if (printer != "sink") {
    options.printerProgram = printer;
  }

  // Interrupts are waited for, not taken by default handling, so the server always stops.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  sigaddset(&stopSignals, SIGHUP);
  sigprocmask(SIG_BLOCK, &stopSignals, nullptr);

  print_server::PrivatePrintServer server;
  std::string error;
  if (!server.Start(options, &error)) {
    std::fprintf(stderr, "km_print_server: %s\n", error.c_str());
    return 1;
  }
  setenv("KM_PRINT_SERVER_ROOT", server.root().c_str(), 1);
  std::fprintf(stderr, "print server running: CUPS_SERVER=%s\n", server.socketPath().c_str());
  for (const QueueSpec& queue : options.queues) {
    std::fprintf(stderr, "  %-24s jobs %s  disk %s  pages %s\n", queue.name.c_str(),
                 server.jobsFolder(queue.name).c_str(), server.diskFolder(queue.name).c_str(),
                 server.pagesFolder(queue.name).c_str());
  }

  int status = 0;
  if (command && *command) {
    sigprocmask(SIG_UNBLOCK, &stopSignals, nullptr);
    signal(SIGINT, SIG_IGN);  // the command gets the interrupt and ends; then we clean up
    status = RunCommand(command);
  } else {
    std::fprintf(stderr, "export CUPS_SERVER=%s  (Ctrl-C stops the server)\n",
                 server.socketPath().c_str());
    int received = 0;
    sigwait(&stopSignals, &received);
  }
  if (options.keepRoot || !options.rootFolder.empty()) {
    std::fprintf(stderr, "print server folder kept: %s\n", server.root().c_str());
  }
  server.Stop();
  return status;
}
