#pragma once
// One simulated printer: a disk and the jobs run on it, each reported on an output stream.

#include <cstdio>
#include <filesystem>
#include <string>

#include "disk_view.h"
#include "job_runner.h"

namespace kmsim {

// Records of one job's files and pages listed at most; the rest are counted in "more N".
inline constexpr std::size_t kMaxRecordsPerJob = 10000;

class Session {
 public:
  Session(DiskView& disk, RunOptions options, std::FILE* report)
      : disk_(disk), options_(std::move(options)), report_(report) {}

  // Runs one job against the disk and writes its report block; source names the job in
  // the report. True when the job ran without a PostScript error.
  bool RunOne(const std::filesystem::path& job, const std::string& source);
  // The same for a job already open (read from its start).
  bool RunOne(int jobFd, const std::string& source);

  int JobsRun() const { return jobs_; }
  const DiskView& Disk() const { return disk_; }

 private:
  void Line(const std::string& text);
  // A record of the job's block, within kMaxRecordsPerJob.
  void Record(const std::string& text);
  bool Finish(const std::string& verdict, bool ok);

  DiskView& disk_;
  RunOptions options_;
  std::FILE* report_;
  int jobs_ = 0;
  std::size_t records_ = 0;
};

}  // namespace kmsim
