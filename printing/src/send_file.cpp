#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "print_server.h"
#include "printing/job_delivery.h"

namespace printing {

namespace {

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

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

}  // namespace

bool SendFileToPrinter(const std::string& documentName, const std::string& jobPath,
                       const std::string& printerName, std::string* error) {
  FileDescriptor file(open(jobPath.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) {
    SetError(error, "cannot open the job file " + jobPath + ": " + std::strerror(errno));
    return false;
  }
  PrintServerConnection server;
  if (!server.Open(error)) return false;

  const int jobId =
      cupsCreateJob(server.get(), printerName.c_str(), documentName.c_str(), 0, nullptr);
  if (jobId <= 0) {
    SetError(error, LastCupsError("the print server refused the job"));
    return false;
  }
  if (cupsStartDocument(server.get(), printerName.c_str(), jobId, documentName.c_str(),
                        CUPS_FORMAT_RAW, 1) != HTTP_STATUS_CONTINUE) {
    SetError(error, LastCupsError("the print server refused the document"));
    CancelJob(printerName, jobId);
    return false;
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
    server.Close();
    SetError(error, copyError);
    CancelJob(printerName, jobId);
    return false;
  }
  if (cupsFinishDocument(server.get(), printerName.c_str()) <= IPP_STATUS_OK_CONFLICTING) {
    return true;
  }
  SetError(error, LastCupsError("the print server did not accept the job"));
  CancelJob(printerName, jobId);
  return false;
}

}  // namespace printing
