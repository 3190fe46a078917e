#pragma once
// How kmjob shows a task on the terminal: progress lines on a terminal's standard error, the
// generator's message, the path of a job written to --output, and the delivery reports.

#include <optional>
#include <string>

#include "printing/console_delivery_reporter.h"
#include "progress_line.h"
#include "tasks/task_run.h"

namespace kmjob {

class ConsoleTaskReporter : public tasks::TaskReporter {
 public:
  // printJobPath: the path of the written job goes to standard output (--output).
  explicit ConsoleTaskReporter(bool printJobPath = false);

  void WritingJob(const std::string& progressText) override;
  void JobWritten(const std::string& jobPath) override;
  void Delivering(const std::string& documentName, const std::string& destination) override;
  void NoTemporaryFile(const std::string& reason) override;
  void GeneratorFailed(int status, const std::string& detail) override;
  void OutOfMemory() override;

  void Beep() override {}
  void SetStatusText(const std::string& text) override;
  void ShowError(const std::string& message) override;
  void PrinterFailed(const std::string& printer, const std::string& reason) override;

 private:
  void ShowProgress(const std::string& text);

  bool printJobPath_;
  printing::ConsoleDeliveryReporter delivery_;
  // Cleared before anything else is printed.
  std::optional<ProgressLine> progress_;
};

}  // namespace kmjob
