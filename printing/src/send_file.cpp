#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "platform/unique_fd.h"
#include "print_server.h"
#include "printing/job_delivery.h"

namespace printing {

namespace {

ssize_t ReadChunk(int fd, char* buffer, std::size_t size) {
  std::size_t filled = 0;
  while (filled < size) {
    const ssize_t n = read(fd, buffer + filled, size - filled);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return -1;
    if (n == 0) break;
    filled += static_cast<std::size_t>(n);
  }
  return static_cast<ssize_t>(filled);
}

// A job that failed after it was created must not stay held in the queue. The connection
// that failed may be unusable, so a fresh one cancels it.
void CancelJob(const std::string& printerName, int jobId) {
  PrintServerConnection server;
  if (server.Open(nullptr)) cupsCancelJob2(server.get(), printerName.c_str(), jobId, 0);
}

std::string LastCupsError(const std::string& what) {
  return what + ": " + cupsLastErrorString();
}

// One Create-Job request. libcups's own helper first looks the queue up and asks for its
// details, three waits where one will do.
int CreateJob(PrintServerConnection& server, const std::string& printerName,
              const std::string& title) {
  char uri[1024];
  if (httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", ippPort(),
                       "/printers/%s", printerName.c_str()) < HTTP_URI_STATUS_OK) {
    return 0;
  }
  ipp_t* request = ippNewRequest(IPP_OP_CREATE_JOB);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
  ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr,
               cupsUser());
  if (!title.empty()) {
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "job-name", nullptr, title.c_str());
  }
  const std::string resource = "/printers/" + printerName;
  IppPtr response(cupsDoRequest(server.get(), request, resource.c_str()));
  if (!response || cupsLastError() > IPP_STATUS_OK_CONFLICTING) return 0;
  ipp_attribute_t* id = ippFindAttribute(response.get(), "job-id", IPP_TAG_INTEGER);
  return id ? ippGetInteger(id, 0) : 0;
}

}  // namespace

bool SendFileToPrinter(const std::string& documentName, const std::string& jobPath,
                       const std::string& printerName, std::string* error) {
  const platform::UniqueFd file(open(jobPath.c_str(), O_RDONLY | O_CLOEXEC));
  if (!file) {
    SetError(error, "cannot open the job file " + jobPath + ": " + std::strerror(errno));
    return false;
  }
  PrintServerConnection server;
  if (!server.Open(error)) return false;

  // A server that stopped answering cannot cancel anything either.
  auto failed = [&](const std::string& reason, int jobId) {
    if (server.timedOut()) {
      SetError(error, PrintServerConnection::NoAnswerMessage());
      return false;
    }
    SetError(error, reason);
    if (jobId > 0) CancelJob(printerName, jobId);
    return false;
  };

  const int jobId = CreateJob(server, printerName, documentName);
  if (jobId <= 0) return failed(LastCupsError("the print server refused the job"), 0);
  if (cupsStartDocument(server.get(), printerName.c_str(), jobId, documentName.c_str(),
                        CUPS_FORMAT_RAW, 1) != HTTP_STATUS_CONTINUE) {
    return failed(LastCupsError("the print server refused the document"), jobId);
  }

  std::vector<char> chunk(kSendChunkSize);
  bool copied = true;
  std::string copyError;
  for (;;) {
    const ssize_t got = ReadChunk(file.get(), chunk.data(), chunk.size());
    if (got < 0) {
      copied = false;
      copyError = std::string("cannot read the job file: ") + std::strerror(errno);
      break;
    }
    // A zero-length write would end the document early; an empty last chunk sends nothing.
    if (got > 0 && cupsWriteRequestData(server.get(), chunk.data(), static_cast<size_t>(got)) !=
                       HTTP_STATUS_CONTINUE) {
      copied = false;
      copyError = LastCupsError("the print server stopped taking the job");
      break;
    }
    if (static_cast<std::size_t>(got) < kSendChunkSize) break;
  }

  if (!copied) {
    // Dropping the connection mid-document leaves the server an incomplete job, never a
    // finished one that would print a truncated file.
    const bool timedOut = server.timedOut();
    server.Close();
    if (timedOut) {
      SetError(error, PrintServerConnection::NoAnswerMessage());
      return false;
    }
    return failed(copyError, jobId);
  }
  if (cupsFinishDocument(server.get(), printerName.c_str()) <= IPP_STATUS_OK_CONFLICTING &&
      !server.timedOut()) {
    return true;
  }
  return failed(LastCupsError("the print server did not accept the job"), jobId);
}

}  // namespace printing
