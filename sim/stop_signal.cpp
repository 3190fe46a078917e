#include "stop_signal.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace kmsim {

namespace {

volatile sig_atomic_t gStop = 0;
int gWakeRead = -1;
int gWakeWrite = -1;

void OnStop(int) {
  gStop = 1;
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = ::write(gWakeWrite, &byte, 1);
}

}  // namespace

bool InstallStopHandlers() {
  if (gWakeRead >= 0) return true;
  int wake[2];
  if (::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) return false;
  gWakeRead = wake[0];
  gWakeWrite = wake[1];
  struct sigaction action {};
  action.sa_handler = OnStop;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);
  return true;
}

bool StopRequested() {
  return gStop != 0;
}

int StopFd() {
  return gWakeRead;
}

}  // namespace kmsim
