// A network printer that keeps every job it receives: each connection's bytes become one file
// in the keep folder, written under a hidden name and renamed when the sender is done; a
// connection that brings no data is no job. Options of the printer simulator that mean
// nothing here (--pages) are accepted and ignored.
// Usage: km_job_sink --listen HOST:PORT --keep-jobs DIR [--disk DIR]

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

volatile sig_atomic_t stopRequested = 0;
void OnStop(int) {
  stopRequested = 1;
}

// Returns false when the connection brought nothing.
bool ReceiveJob(int client, const std::filesystem::path& keep, unsigned number) {
  char name[32];
  std::snprintf(name, sizeof name, "job-%06u.bin", number);
  const std::filesystem::path part = keep / (std::string(".") + name + ".part");
  std::ofstream out(part, std::ios::binary);
  std::vector<char> buffer(65536);
  std::size_t total = 0;
  for (;;) {
    const ssize_t n = recv(client, buffer.data(), buffer.size(), 0);
    if (n < 0 && errno == EINTR && !stopRequested) continue;
    if (n <= 0) break;
    out.write(buffer.data(), n);
    total += static_cast<std::size_t>(n);
  }
  out.close();
  std::error_code ec;
  if (total == 0) {
    std::filesystem::remove(part, ec);
    return false;
  }
  std::filesystem::rename(part, keep / name, ec);
  if (ec || !out.good()) std::fprintf(stderr, "km_job_sink: job %s not kept\n", name);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::string listen;
  std::filesystem::path keep;
  for (int i = 1; i + 1 < argc; i += 2) {
    const std::string option = argv[i];
    if (option == "--listen") {
      listen = argv[i + 1];
    } else if (option == "--keep-jobs") {
      keep = argv[i + 1];
    } else if (option == "--disk") {
      std::filesystem::create_directories(argv[i + 1]);
    }
  }
  const std::size_t colon = listen.rfind(':');
  if (colon == std::string::npos || keep.empty()) {
    std::fprintf(stderr, "usage: %s --listen HOST:PORT --keep-jobs DIR [--disk DIR]\n", argv[0]);
    return 2;
  }
  std::filesystem::create_directories(keep);

  struct sigaction action {};
  action.sa_handler = OnStop;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  signal(SIGPIPE, SIG_IGN);

  const int server = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const int yes = 1;
  setsockopt(server, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(std::stoi(listen.substr(colon + 1))));
  if (inet_pton(AF_INET, listen.substr(0, colon).c_str(), &address.sin_addr) != 1 ||
      bind(server, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(server, 16) != 0) {
    std::fprintf(stderr, "km_job_sink: cannot listen on %s: %s\n", listen.c_str(),
                 std::strerror(errno));
    return 1;
  }
  unsigned number = 0;
  while (!stopRequested) {
    const int client = accept4(server, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0) continue;
    if (ReceiveJob(client, keep, number + 1)) ++number;
    close(client);
  }
  close(server);
  return 0;
}
