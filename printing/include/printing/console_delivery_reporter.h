#pragma once
// Delivery reports for a command-line front end: the status text on the output stream,
// errors and per-printer reasons on the error stream.

#include <ostream>

#include "printing/job_delivery.h"

namespace printing {

class ConsoleDeliveryReporter : public DeliveryReporter {
 public:
  ConsoleDeliveryReporter(std::ostream& out, std::ostream& err) : out_(out), err_(err) {}
  void Beep() override {}
  void SetStatusText(const std::string& text) override;
  void ShowError(const std::string& message) override;
  void PrinterFailed(const std::string& printer, const std::string& reason) override;

 private:
  std::ostream& out_;
  std::ostream& err_;
};

}  // namespace printing
