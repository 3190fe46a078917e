#include "print_server.h"

#include <sys/socket.h>

#include <cerrno>
#include <cstring>

#include "printing/job_delivery.h"

namespace printing {

namespace {
// A server that accepted the connection but stops answering is given up after this long.
constexpr double kStallTimeoutSeconds = 60.0;

int GiveUpOnTimeout(http_t* /*http*/, void* /*data*/) {
  return 0;
}
}  // namespace

std::string ServerName() {
  const char* server = cupsServer();
  return server ? server : "";
}

bool PrintServerConnection::Open(std::string* error) {
  errno = 0;
  http_.reset(httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                           kConnectTimeoutMs, nullptr));
  if (!http_) {
    const int cause = errno;
    SetError(error, "cannot reach the print server " + ServerName() + ": " +
                        (cause ? std::strerror(cause) : cupsLastErrorString()));
    return false;
  }
  httpSetTimeout(http_.get(), kStallTimeoutSeconds, GiveUpOnTimeout, nullptr);
  return true;
}

}  // namespace printing
