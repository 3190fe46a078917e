#pragma once
// Sending a job file, unchanged, to a printer or to every member of a printer group, and the
// report of the outcome.

#include <string>
#include <vector>

namespace printing {

// Chunk size of the copy into the print job.
inline constexpr std::size_t kSendChunkSize = 32768;
// Longest wait for the print server to accept the connection.
inline constexpr int kConnectTimeoutMs = 5000;
// Longest wait for each answer of the print server (and for it to take each chunk of a job).
// A server that lets it run out counts as unreachable.
inline constexpr int kResponseTimeoutSeconds = 15;

// Sends the file as one raw print job titled documentName. True when the whole file was
// handed to the print server and the job was closed cleanly; any failure is false, with the
// reason in *error when given. A job refused at its end is cancelled, so none stays held.
bool SendFileToPrinter(const std::string& documentName, const std::string& jobPath,
                       const std::string& printerName, std::string* error = nullptr);

// How a front end shows the outcome of a delivery. What is reported, and when, is decided by
// DeliverJob; texts arrive untranslated.
class DeliveryReporter {
 public:
  virtual ~DeliveryReporter() = default;
  // The system beep of a successful delivery.
  virtual void Beep() = 0;
  // The status line; an empty text clears it.
  virtual void SetStatusText(const std::string& text) = 0;
  // An error box with caption "KORAManage" and the error icon.
  virtual void ShowError(const std::string& message) = 0;
  // Why one printer did not receive the job, before the final report. Front ends that cannot
  // show details ignore it.
  virtual void PrinterFailed(const std::string& /*printer*/, const std::string& /*reason*/) {}
};

struct DeliveryOutcome {
  enum class Result {
    kNothingToDo,   // the no-printer entry: nothing sent, nothing reported
    kDelivered,     // every printer received the job
    kEmptyGroup,    // the group has no members: nothing sent
    kBadGroupName,  // the group name breaks the naming rules: nothing read, nothing sent
    kFailed,        // at least one printer did not receive the job
  };
  Result result = Result::kNothingToDo;
  std::vector<std::string> failedPrinters;  // in the order they were tried
};

// Delivers the job file to a destination item (a printer name, or GROUP_PREFIX plus a group
// name) and reports through the reporter: on success a beep and "<documentName> completed
// successfully" in the status line; otherwise a cleared status line and an error box naming
// the group or the printers that failed. settingsFile: another settings file, or empty for
// the standard one. The job file is left in place.
DeliveryOutcome DeliverJob(const std::string& documentName, const std::string& jobPath,
                           const std::string& destination, DeliveryReporter& reporter,
                           const std::string& settingsFile = {});

// The texts of the reports.
std::string SuccessText(const std::string& documentName);
std::string EmptyGroupMessage(const std::string& groupName);
std::string FailedPrintersMessage(const std::string& failureList);

}  // namespace printing
