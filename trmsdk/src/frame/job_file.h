#pragma once
#include <cstddef>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "frame/records.h"

namespace trm {

// Sequential writer of one job file. Data goes to a scratch file beside the output that takes
// the output's name only when the job is complete, so a failed job never leaves a partial file
// and never damages a file it was allowed to replace.
class JobWriter {
 public:
  explicit JobWriter(std::string outputPath);
  ~JobWriter();  // discards the scratch file unless committed
  JobWriter(const JobWriter&) = delete;
  JobWriter& operator=(const JobWriter&) = delete;

  bool Open();
  // A stream buffer of that many bytes instead of the default; only between Open and the
  // first write. False when the stream refuses it.
  bool SetBufferSize(std::size_t bytes);
  bool Write(std::string_view text);
  bool Flush();

  enum class Commit { kDone, kOutputExists, kFailed };
  // Closes the scratch file and gives it the output's name; without replace, a file that took
  // that name meanwhile is kept and the job is not committed.
  Commit CommitAs(bool replace);

 private:
  std::string outputPath_;
  std::string scratchPath_;
  std::unique_ptr<char[]> buffer_;  // outlives the stream that uses it
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file_;
  bool committed_ = false;
};

// What a job body gets: where to write, and how to fail with a code and detail.
struct JobContext {
  std::string_view operation;
  const std::string& outputPath;
  JobWriter& out;

  // Sets the status and returns the code, for "return context.Fail(...)".
  int Fail(int code, std::string_view detail) const;
  // 1005 naming the output: every failed write or flush.
  int WriteFailure() const { return Fail(1005, outputPath); }
  // Writes and flushes one section; 1001 or the write failure.
  int Section(std::string_view text) const;
};

enum class JobBuild {
  kSections,  // written section by section: a lock that cannot be had is 1004
  kInMemory,  // built whole first: a lock that cannot be had is reported as 1005
};

// 1017 with the parameter's name, logged.
int MissingParameter(std::string_view operation, std::string_view parameterName);

// The course every job writer shares once its parameters are checked: START log line, the
// overwrite rule, output folder, output lock, the body, success or cleanup, final log line.
// An output that is a symbolic link is written to the link's target; an existing output is
// replaced only with the replace flag and only when it is a regular file.
int WriteJob(std::string_view operation, const trmVOS& vos, JobBuild build,
             const std::function<int(const JobContext&)>& body);

// WriteJob of a job built whole in memory beforehand.
int WriteBuiltJob(std::string_view operation, const trmVOS& vos, std::string_view job);

}  // namespace trm
