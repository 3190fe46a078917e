#include "printer_details.h"

#include <cups/ppd.h>
#include <unistd.h>

#include <fstream>
#include <iterator>
#include <sstream>

namespace printing {

namespace {

bool StartsWith(const std::string& line, const char* prefix) {
  return line.rfind(prefix, 0) == 0;
}

// cupsGetPPD3 hands over a temporary file (or a link to the server's copy) to be removed.
class TemporaryPpd {
 public:
  explicit TemporaryPpd(const char* path) : path_(path ? path : "") {}
  ~TemporaryPpd() {
    if (!path_.empty()) unlink(path_.c_str());
  }
  TemporaryPpd(const TemporaryPpd&) = delete;
  TemporaryPpd& operator=(const TemporaryPpd&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

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
  return response && cupsLastError() <= IPP_STATUS_OK_CONFLICTING;
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
  char buffer[1024] = "";
  time_t modified = 0;
  // The PPD request is the one interface that still answers "does this queue convert?".
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  const http_status_t status =
      cupsGetPPD3(server.get(), printerName.c_str(), &modified, buffer, sizeof buffer);
#pragma GCC diagnostic pop
  TemporaryPpd ppd(buffer[0] ? buffer : nullptr);
  if (status == HTTP_STATUS_NOT_FOUND) {
    return QueueExists(server, printerName) ? DriverKind::kNoDriver : DriverKind::kUnavailable;
  }
  if (status != HTTP_STATUS_OK || ppd.path().empty()) return DriverKind::kUnavailable;
  std::ifstream in(ppd.path(), std::ios::binary);
  if (!in) return DriverKind::kUnavailable;
  const std::string text{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  return PpdHasFilters(text) ? DriverKind::kConverting : DriverKind::kPassThrough;
}

}  // namespace printing
