#include "listener.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "printer_name.h"
#include "unique_fd.h"

namespace kmsim {

namespace fs = std::filesystem;

namespace {

volatile sig_atomic_t gStop = 0;
int gWakeFd = -1;

void OnStop(int) {
  gStop = 1;
  if (gWakeFd >= 0) {
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(gWakeFd, &byte, 1);
  }
}

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

// Receives one job into path until the peer closes, the connection breaks or it stays
// silent too long. Whatever arrived is the job. Returns a note when the job may be cut.
std::string Receive(int connection, const fs::path& path, int idleTimeoutSeconds) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  char buffer[65536];
  std::string note;
  while (true) {
    pollfd p{connection, POLLIN, 0};
    const int ready = ::poll(&p, 1, idleTimeoutSeconds * 1000);
    if (ready < 0 && errno == EINTR) {
      if (gStop) {
        note = "interrupted";
        break;
      }
      continue;
    }
    if (ready == 0) {
      note = "idle-timeout";
      break;
    }
    const ssize_t n = ::recv(connection, buffer, sizeof buffer, 0);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      note = "connection-broken";
      break;
    }
    out.write(buffer, n);
  }
  out.flush();
  if (!out) note = "cannot-store-job";
  return note;
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
  UniqueFd listener;
  std::string failure = "no address";
  for (addrinfo* a = found; a && !listener; a = a->ai_next) {
    if (!options.allowRemote && !IsLoopback(a->ai_addr)) {
      failure = "not a loopback address (use --allow-remote to serve the network)";
      continue;
    }
    UniqueFd fd(::socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol));
    if (!fd) continue;
    const int on = 1;
    setsockopt(fd.Get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    if (::bind(fd.Get(), a->ai_addr, a->ai_addrlen) != 0 || ::listen(fd.Get(), 64) != 0) {
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

  int wake[2];
  if (::pipe2(wake, O_CLOEXEC | O_NONBLOCK) != 0) {
    std::fprintf(stderr, "kmsim: %s\n", std::strerror(errno));
    return 2;
  }
  UniqueFd wakeRead(wake[0]);
  UniqueFd wakeWrite(wake[1]);
  gWakeFd = wakeWrite.Get();
  struct sigaction action {};
  action.sa_handler = OnStop;
  sigemptyset(&action.sa_mask);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);

  sockaddr_storage bound{};
  socklen_t boundLength = sizeof bound;
  getsockname(listener.Get(), reinterpret_cast<sockaddr*>(&bound), &boundLength);
  std::fprintf(report, "listening %s\n", Describe(reinterpret_cast<sockaddr*>(&bound)).c_str());
  std::fflush(report);

  unsigned kept = 0;
  while (!gStop) {
    pollfd fds[2] = {{listener.Get(), POLLIN, 0}, {wakeRead.Get(), POLLIN, 0}};
    if (::poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      std::fprintf(stderr, "kmsim: %s\n", std::strerror(errno));
      return 2;
    }
    if (gStop) break;
    if (!(fds[0].revents & POLLIN)) continue;
    sockaddr_storage peer{};
    socklen_t peerLength = sizeof peer;
    UniqueFd connection(
        ::accept4(listener.Get(), reinterpret_cast<sockaddr*>(&peer), &peerLength, SOCK_CLOEXEC));
    if (!connection) continue;
    const std::string from = Describe(reinterpret_cast<sockaddr*>(&peer));
    const fs::path job = session.Disk().WorkFolder() / "received.bin";
    const std::string note = Receive(connection.Get(), job, options.idleTimeoutSeconds);
    std::error_code ec;
    const bool empty = fs::file_size(job, ec) == 0;
    if (!note.empty() || empty) {
      std::fprintf(report, "received %s %s\n", ReportEscape(from).c_str(),
                   note.empty() ? "empty" : note.c_str());
      std::fflush(report);
    }
    // A connection without data is no job (print servers probe printers so). Otherwise the
    // connection stays open while the job runs, as a printer holds it until done.
    if (!empty) {
      session.RunOne(job, from);
      ++kept;
      // Kept jobs are named as the plain job sink of the tests names them, written under a
      // hidden name, and appear once the job has run: a kept job is a finished one.
      if (!options.keepJobsDir.empty()) {
        char name[32];
        std::snprintf(name, sizeof name, "job-%06u.bin", kept);
        std::string hidden = ".";
        hidden.append(name).append(".part");
        const fs::path part = options.keepJobsDir / hidden;
        fs::copy_file(job, part, fs::copy_options::overwrite_existing, ec);
        if (!ec) fs::rename(part, options.keepJobsDir / name, ec);
        if (ec) std::fprintf(stderr, "kmsim: cannot keep %s: %s\n", name, ec.message().c_str());
      }
    }
    connection.Reset();
    fs::remove(job, ec);
  }
  gWakeFd = -1;
  std::fprintf(report, "stopped\n");
  std::fflush(report);
  return 0;
}

}  // namespace kmsim
