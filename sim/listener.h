#pragma once
// Listen mode: a network printer on a raw TCP port (one job per connection, port 9100
// style). Jobs run one at a time, in the order their connections arrive.

#include <cstdint>
#include <filesystem>
#include <string>

#include "session.h"

namespace kmsim {

struct ListenOptions {
  std::string host;
  std::string port;
  bool allowRemote = false;                // otherwise only loopback addresses are served
  std::filesystem::path keepJobsDir;       // empty: received jobs are not kept
  int idleTimeoutSeconds = 300;            // a connection silent this long ends its job
  int receiveTimeoutSeconds = 3600;        // a job takes at most this long to arrive
  std::uint64_t maxJobBytes = 1ULL << 30;  // a longer job is refused, not run
};

// Serves until SIGINT or SIGTERM. Prints "listening HOST:PORT" on the report stream once
// the socket accepts connections. Returns the process exit status.
int Listen(const ListenOptions& options, Session& session, std::FILE* report);

}  // namespace kmsim
