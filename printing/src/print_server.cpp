#include "print_server.h"

#include <sys/socket.h>

#include <cerrno>
#include <cstring>

#include "printing/job_delivery.h"

namespace printing {

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
  timedOut_ = false;
  httpSetTimeout(http_.get(), kResponseTimeoutSeconds, OnTimeout, this);
  return true;
}

int PrintServerConnection::OnTimeout(http_t* /*http*/, void* connection) {
  static_cast<PrintServerConnection*>(connection)->timedOut_ = true;
  return 0;  // give up the wait
}

std::string PrintServerConnection::NoAnswerMessage() {
  return "cannot reach the print server " + ServerName() + ": no answer within " +
         std::to_string(kResponseTimeoutSeconds) + " s";
}

}  // namespace printing
