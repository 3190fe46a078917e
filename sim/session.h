#pragma once
// One simulated printer: a disk and the jobs run on it, each reported on an output stream.

#include <cstdio>
#include <filesystem>
#include <string>

#include "disk_view.h"
#include "job_runner.h"

namespace kmsim {

class Session {
 public:
  Session(DiskView& disk, RunOptions options, std::FILE* report)
      : disk_(disk), options_(std::move(options)), report_(report) {}

  // Runs one job against the disk and writes its report block; source names the job in
  // the report. True when the job ran without a PostScript error.
  bool RunOne(const std::filesystem::path& job, const std::string& source);

  int JobsRun() const { return jobs_; }
  const DiskView& Disk() const { return disk_; }

 private:
  void Line(const std::string& text);

  DiskView& disk_;
  RunOptions options_;
  std::FILE* report_;
  int jobs_ = 0;
};

}  // namespace kmsim
