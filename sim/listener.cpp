#include "listener.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>

#include "platform/unique_fd.h"
#include "printer_name.h"
#include "stop_signal.h"

namespace kmsim {

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

bool IsLoopback(const sockaddr* address) {
  if (address->sa_family == AF_INET) {
    const auto* in = reinterpret_cast<const sockaddr_in*>(address);
    return (ntohl(in->sin_addr.s_addr) >> 24) == 127;
  }
  if (address->sa_family == AF_INET6) {
    const auto* in6 = reinterpret_cast<const sockaddr_in6*>(address);
    return IN6_IS_ADDR_LOOPBACK(&in6->sin6_addr);
  }
  return false;
}

std::string Describe(const sockaddr* address) {
  char host[NI_MAXHOST] = "";
  char port[NI_MAXSERV] = "";
  const socklen_t length =
      address->sa_family == AF_INET6 ? sizeof(sockaddr_in6) : sizeof(sockaddr_in);
  getnameinfo(address, length, host, sizeof host, port, sizeof port,
              NI_NUMERICHOST | NI_NUMERICSERV);
  std::string text;
  if (address->sa_family == AF_INET6) {
    text.append("[").append(host).append("]");
  } else {
    text.append(host);
  }
  return text.append(":").append(port);
}

// Receives one job into file until the peer closes, the connection breaks, it stays silent
// too long, takes too long as a whole or grows too large. Whatever arrived is the job,
// except a job too large. Returns a note when the job may be cut or is refused.
std::string Receive(int connection, int file, const ListenOptions& options) {
  const Clock::time_point deadline =
      Clock::now() + std::chrono::seconds(options.receiveTimeoutSeconds);
  char buffer[65536];
  std::uint64_t received = 0;
  while (true) {
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return "receive-timeout";
    const long long idle = static_cast<long long>(options.idleTimeoutSeconds) * 1000;
    pollfd p[2] = {{connection, POLLIN, 0}, {StopFd(), POLLIN, 0}};
    const int ready = ::poll(p, 2, static_cast<int>(std::min<long long>(left, idle)));
    if (StopRequested()) return "interrupted";
    if (ready < 0) {
      if (errno == EINTR) continue;
      return "connection-broken";
    }
    if (ready == 0) {
      if (left > idle) return "idle-timeout";
      continue;
    }
    const ssize_t n = ::recv(connection, buffer, sizeof buffer, 0);
    if (n == 0) return {};
    if (n < 0) {
      if (errno == EINTR) continue;
      return "connection-broken";
    }
    received += static_cast<std::uint64_t>(n);
    if (received > options.maxJobBytes) return "too-large";
    for (ssize_t done = 0; done < n;) {
      const ssize_t w = ::write(file, buffer + done, static_cast<std::size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) return "cannot-store-job";
      done += w;
    }
  }
}

// Copies the job into KEEPDIR/name, under a hidden name until it is complete.
bool KeepJob(int job, const fs::path& dir, const std::string& name, std::string& error) {
  const fs::path part = dir / ("." + name + ".part");
  const platform::UniqueFd out(
      ::open(part.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  bool ok = static_cast<bool>(out);
  char buffer[65536];
  for (off_t at = 0; ok;) {
    const ssize_t n = ::pread(job, buffer, sizeof buffer, at);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      ok = n == 0;
      break;
    }
    for (ssize_t done = 0; ok && done < n;) {
      const ssize_t w = ::write(out.get(), buffer + done, static_cast<std::size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      ok = w > 0;
      if (ok) done += w;
    }
    at += n;
  }
  if (ok && ::rename(part.c_str(), (dir / name).c_str()) == 0) return true;
  error = std::strerror(errno);
  ::unlink(part.c_str());
  return false;
}

}  // namespace

int Listen(const ListenOptions& options, Session& session, std::FILE* report) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = AI_PASSIVE;
  addrinfo* found = nullptr;
  if (const int rc = getaddrinfo(options.host.c_str(), options.port.c_str(), &hints, &found);
      rc != 0) {
    std::fprintf(stderr, "kmsim: cannot resolve %s:%s: %s\n", options.host.c_str(),
                 options.port.c_str(), gai_strerror(rc));
    return 2;
  }
  platform::UniqueFd listener;
  std::string failure = "no address";
  for (addrinfo* a = found; a && !listener; a = a->ai_next) {
    if (!options.allowRemote && !IsLoopback(a->ai_addr)) {
      failure = "not a loopback address (use --allow-remote to serve the network)";
      continue;
    }
    platform::UniqueFd fd(::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol));
    if (!fd) continue;
    const int on = 1;
    setsockopt(fd.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::bind(fd.get(), a->ai_addr, a->ai_addrlen) != 0 || ::listen(fd.get(), 64) != 0) {
      failure = std::strerror(errno);
      continue;
    }
    listener = std::move(fd);
  }
  freeaddrinfo(found);
  if (!listener) {
    std::fprintf(stderr, "kmsim: cannot listen on %s:%s: %s\n", options.host.c_str(),
                 options.port.c_str(), failure.c_str());
    return 2;
  }

  sockaddr_storage bound{};
  socklen_t boundLength = sizeof bound;
  getsockname(listener.get(), reinterpret_cast<sockaddr*>(&bound), &boundLength);
  std::fprintf(report, "listening %s\n", Describe(reinterpret_cast<sockaddr*>(&bound)).c_str());
  std::fflush(report);

  unsigned kept = 0;
  while (!StopRequested()) {
    pollfd fds[2] = {{listener.get(), POLLIN, 0}, {StopFd(), POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      std::fprintf(stderr, "kmsim: %s\n", std::strerror(errno));
      return 2;
    }
    if (StopRequested()) break;
    if (!(fds[0].revents & POLLIN)) continue;
    sockaddr_storage peer{};
    socklen_t peerLength = sizeof peer;
    platform::UniqueFd connection(
        ::accept4(listener.get(), reinterpret_cast<sockaddr*>(&peer), &peerLength, SOCK_CLOEXEC));
    if (!connection) continue;
    const std::string from = Describe(reinterpret_cast<sockaddr*>(&peer));
    // The job has no name: nothing of it stays behind, whatever happens to kmsim.
    const platform::UniqueFd job(::openat(session.Disk().RunFd(), "received",
                                          O_RDWR | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC,
                                          0600));
    if (!job || ::unlinkat(session.Disk().RunFd(), "received", 0) != 0) {
      std::fprintf(stderr, "kmsim: cannot store a received job: %s\n", std::strerror(errno));
      continue;
    }
    std::string note = Receive(connection.get(), job.get(), options);
    struct stat st {};
    const bool empty = ::fstat(job.get(), &st) != 0 || st.st_size == 0;
    if (note.empty() && empty) note = "empty";
    if (!note.empty()) {
      std::fprintf(report, "received %s %s\n", ReportEscape(from).c_str(), note.c_str());
      std::fflush(report);
    }
    // A connection without data is no job (print servers probe printers so); a job too
    // large is refused unread. Otherwise the connection stays open while the job runs, as
    // a printer holds it until done.
    if (empty || note == "too-large" || note == "interrupted" || note == "cannot-store-job") {
      continue;
    }
    session.RunOne(job.get(), from);
    ++kept;
    // Kept jobs are named as the plain job sink of the tests names them, written under a
    // hidden name, and appear once the job has run: a kept job is a finished one.
    if (!options.keepJobsDir.empty()) {
      char name[32];
      std::snprintf(name, sizeof name, "job-%06u.bin", kept);
      std::string error;
      if (!KeepJob(job.get(), options.keepJobsDir, name, error)) {
        std::fprintf(stderr, "kmsim: cannot keep %s: %s\n", name, error.c_str());
      }
    }
  }
  std::fprintf(report, "stopped\n");
  std::fflush(report);
  return 0;
}

}  // namespace kmsim
