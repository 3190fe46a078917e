#include "printing/console_delivery_reporter.h"

namespace printing {

void ConsoleDeliveryReporter::SetStatusText(const std::string& text) {
  if (!text.empty()) out_ << text << '\n' << std::flush;
}

void ConsoleDeliveryReporter::ShowError(const std::string& message) {
  err_ << message << '\n' << std::flush;
}

void ConsoleDeliveryReporter::PrinterFailed(const std::string& printer, const std::string& reason) {
  err_ << printer << ": " << reason << '\n' << std::flush;
}

}  // namespace printing
