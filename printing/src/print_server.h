#pragma once
// One connection to the user's default print server ($CUPS_SERVER, client.conf, else the
// local scheduler). Connecting first tells "server down" apart from "no such printer", which
// the job operations report alike, and bounds the wait for a server that does not answer.

#include <cups/cups.h>

#include <memory>
#include <string>

namespace printing {

class PrintServerConnection {
 public:
  // Connects within kConnectTimeoutMs; false with the reason in *error when given.
  bool Open(std::string* error);
  http_t* get() const { return http_.get(); }
  void Close() { http_.reset(); }

 private:
  struct Closer {
    void operator()(http_t* http) const { httpClose(http); }
  };
  std::unique_ptr<http_t, Closer> http_;
};

struct IppDeleter {
  void operator()(ipp_t* ipp) const { ippDelete(ipp); }
};
using IppPtr = std::unique_ptr<ipp_t, IppDeleter>;

// The server name as libcups resolves it, for messages.
std::string ServerName();

// Stores a reason in *error when the caller asked for one.
inline void SetError(std::string* error, const std::string& reason) {
  if (error) *error = reason;
}

}  // namespace printing
