#include "frame/owner_process.h"

#include <signal.h>

#include <cerrno>
#include <limits>

namespace trm {

bool ProcessRuns(long pid) {
  if (pid <= 0 || pid > std::numeric_limits<pid_t>::max()) return false;
  return kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

}  // namespace trm
