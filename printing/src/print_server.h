#pragma once
// One connection to the user's default print server ($CUPS_SERVER, client.conf, else the
// local scheduler). Connecting first tells "server down" apart from "no such printer", which
// the job operations report alike. Every request goes over such a connection, so every wait
// for the server is bounded: kConnectTimeoutMs to connect, kResponseTimeoutSeconds for each
// answer. libcups would reconnect and wait again after a wait ran out, so the first one that
// runs out gives the connection up: callers check timedOut() after each request and stop.

#include <cups/cups.h>

#include <memory>
#include <string>

namespace printing {

class PrintServerConnection {
 public:
  PrintServerConnection() = default;
  // The timeout callback holds the object's address.
  PrintServerConnection(const PrintServerConnection&) = delete;
  PrintServerConnection& operator=(const PrintServerConnection&) = delete;

  // Connects within kConnectTimeoutMs; false with the reason in *error when given.
  bool Open(std::string* error);
  http_t* get() const { return http_.get(); }
  void Close() { http_.reset(); }

  // True once an answer did not come in time; nothing more is asked on this connection.
  bool timedOut() const { return timedOut_; }
  // "cannot reach the print server NAME: no answer within N s".
  static std::string NoAnswerMessage();

 private:
  static int OnTimeout(http_t* http, void* connection);

  struct Closer {
    void operator()(http_t* http) const { httpClose(http); }
  };
  std::unique_ptr<http_t, Closer> http_;
  bool timedOut_ = false;
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
