#pragma once
// What the tests against the private print server share: the server, its queues' jobs, and a
// reporter that records what a delivery reports.

#include <cups/cups.h>

#include <string>
#include <vector>

#include "printing/job_delivery.h"
#include "private_print_server.h"

namespace printing_test {

// The server started by the test main, with StandardQueues().
print_server::PrivatePrintServer& SharedServer();

struct QueueJob {
  int id = 0;
  std::string title;
  ipp_jstate_t state = IPP_JSTATE_PENDING;
};

// Jobs of a queue as the print server lists them (which: CUPS_WHICHJOBS_*).
inline std::vector<QueueJob> QueueJobs(const std::string& queue, int which) {
  cups_job_t* jobs = nullptr;
  const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, queue.c_str(), 0, which);
  std::vector<QueueJob> result;
  for (int i = 0; i < count; ++i) {
    result.push_back({jobs[i].id, jobs[i].title ? jobs[i].title : "", jobs[i].state});
  }
  cupsFreeJobs(count, jobs);
  return result;
}

inline QueueJob NewestJob(const std::string& queue) {
  QueueJob newest;
  for (const QueueJob& job : QueueJobs(queue, CUPS_WHICHJOBS_ALL)) {
    if (job.id > newest.id) newest = job;
  }
  return newest;
}

// Records the reports of a delivery, in order.
class RecordingReporter : public printing::DeliveryReporter {
 public:
  void Beep() override { calls.push_back("beep"); }
  void SetStatusText(const std::string& text) override { calls.push_back("status:" + text); }
  void ShowError(const std::string& message) override { calls.push_back("error:" + message); }
  void PrinterFailed(const std::string& printer, const std::string& reason) override {
    reasons.push_back(printer + ": " + reason);
  }
  std::vector<std::string> calls;
  std::vector<std::string> reasons;
};

}  // namespace printing_test
