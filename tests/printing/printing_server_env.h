#pragma once
// Helpers shared by the tests that run against the private print server.

#include <cups/cups.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "printing/job_delivery.h"
#include "private_print_server.h"

namespace printing_test {

// The server started by the test main, with StandardQueues().
print_server::PrivatePrintServer& SharedServer();

inline std::string ReadBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

// Bytes of every value, so any change on the way shows.
inline std::string RandomBytes(std::size_t size, unsigned seed) {
  std::mt19937 generator(seed);
  std::string bytes(size, '\0');
  for (char& c : bytes) c = static_cast<char>(generator() & 0xFF);
  return bytes;
}

// A folder for one test's files, removed afterwards.
class TestFolder {
 public:
  TestFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "km-print-XXXXXX").string();
    if (mkdtemp(pattern.data())) path_ = pattern;
  }
  ~TestFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

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
