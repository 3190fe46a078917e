#include "driver_kind.h"

#include <sys/mman.h>

#include <cstdint>
#include <optional>
#include <sstream>

#include "platform/file_helpers.h"
#include "platform/unique_fd.h"

namespace printing {

namespace {

bool StartsWith(const std::string& line, const char* prefix) {
  return line.rfind(prefix, 0) == 0;
}

// Longer PPDs are not believed: the scheduler's own are a few hundred kilobytes at most.
constexpr std::uint64_t kMaxPpdBytes = 8 * 1024 * 1024;

// The resource path of a queue's PPD, with the name encoded as in a URI.
std::string PpdResource(const std::string& printerName) {
  char uri[1024];
  char scheme[32], user[256], host[256], resource[1024];
  int port = 0;
  if (httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
                       "/printers/%s.ppd", printerName.c_str()) < HTTP_URI_STATUS_OK ||
      httpSeparateURI(HTTP_URI_CODING_NONE, uri, scheme, sizeof scheme, user, sizeof user, host,
                      sizeof host, &port, resource, sizeof resource) < HTTP_URI_STATUS_OK) {
    return {};
  }
  return resource;
}

// A 404 for the PPD means "no PPD" only when the queue itself is known to the server.
bool QueueExists(PrintServerConnection& server, const std::string& printerName) {
  char uri[1024];
  httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
                   "/printers/%s", printerName.c_str());
  ipp_t* request = ippNewRequest(IPP_OP_GET_PRINTER_ATTRIBUTES);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", nullptr,
               "printer-name");
  IppPtr response(cupsDoRequest(server.get(), request, "/"));
  return !server.timedOut() && response && cupsLastError() <= IPP_STATUS_OK_CONFLICTING;
}

}  // namespace

bool PpdHasFilters(const std::string& ppdText) {
  std::istringstream lines(ppdText);
  std::string line;
  while (std::getline(lines, line)) {
    if (StartsWith(line, "*cupsFilter:") || StartsWith(line, "*cupsFilter2:")) return true;
  }
  return false;
}

DriverKind FetchDriverKind(PrintServerConnection& server, const std::string& printerName) {
  // One plain request on our own connection: the PPD helpers of libcups ask the server several
  // times, and may open connections of their own that no time limit covers.
  const std::string resource = PpdResource(printerName);
  if (resource.empty()) return DriverKind::kUnavailable;
  const platform::UniqueFd ppd(memfd_create("km-ppd", MFD_CLOEXEC));
  if (!ppd) return DriverKind::kUnavailable;
  const http_status_t status = cupsGetFd(server.get(), resource.c_str(), ppd.get());
  if (server.timedOut()) return DriverKind::kUnavailable;
  if (status == HTTP_STATUS_NOT_FOUND) {
    return QueueExists(server, printerName) ? DriverKind::kNoDriver : DriverKind::kUnavailable;
  }
  if (status != HTTP_STATUS_OK) return DriverKind::kUnavailable;
  const std::optional<std::string> text = platform::ReadWholeFile(ppd.get(), kMaxPpdBytes);
  if (!text) return DriverKind::kUnavailable;
  return PpdHasFilters(*text) ? DriverKind::kConverting : DriverKind::kPassThrough;
}

}  // namespace printing
