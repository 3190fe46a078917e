#include "console_task_reporter.h"

#include <cstdio>
#include <iostream>

#include "delivery.h"
#include "generator_session.h"

namespace kmjob {

ConsoleTaskReporter::ConsoleTaskReporter(bool printJobPath)
    : printJobPath_(printJobPath), delivery_(std::cout, std::cerr) {}

void ConsoleTaskReporter::ShowProgress(const std::string& text) {
  progress_.emplace();
  progress_->Show(text);
}

void ConsoleTaskReporter::WritingJob(const std::string& progressText) {
  ShowProgress(progressText);
}

void ConsoleTaskReporter::JobWritten(const std::string& jobPath) {
  progress_.reset();
  if (printJobPath_) std::printf("%s\n", jobPath.c_str());
  std::fflush(stdout);
}

void ConsoleTaskReporter::Delivering(const std::string& documentName,
                                     const std::string& destination) {
  ShowProgress("Sending " + documentName + " to " + StatusLabelOf(destination) + "...");
}

void ConsoleTaskReporter::NoTemporaryFile(const std::string& reason) {
  progress_.reset();
  std::fprintf(stderr, "kmjob: %s\n", reason.c_str());
}

void ConsoleTaskReporter::GeneratorFailed(int /*status*/, const std::string& /*detail*/) {
  progress_.reset();
  // The message names the entry point and carries the detail in brackets.
  std::fprintf(stderr, "kmjob: %s\n", LastGeneratorMessage().c_str());
}

void ConsoleTaskReporter::OutOfMemory() {
  progress_.reset();
  std::fprintf(stderr, "kmjob: out of memory\n");
}

void ConsoleTaskReporter::SetStatusText(const std::string& text) {
  progress_.reset();
  delivery_.SetStatusText(text);
}

void ConsoleTaskReporter::ShowError(const std::string& message) {
  progress_.reset();
  delivery_.ShowError(message);
}

void ConsoleTaskReporter::PrinterFailed(const std::string& printer, const std::string& reason) {
  progress_.reset();
  delivery_.PrinterFailed(printer, reason);
}

}  // namespace kmjob
