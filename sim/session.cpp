#include "session.h"

#include <fcntl.h>

#include <vector>

#include "disk_changes.h"
#include "output_tail.h"
#include "platform/unique_fd.h"
#include "printer_name.h"

namespace kmsim {

void Session::Line(const std::string& text) {
  std::fprintf(report_, "%s\n", text.c_str());
  std::fflush(report_);
}

void Session::Record(const std::string& text) {
  if (++records_ <= kMaxRecordsPerJob) Line(text);
}

bool Session::Finish(const std::string& verdict, bool ok) {
  if (records_ > kMaxRecordsPerJob) Line("more " + std::to_string(records_ - kMaxRecordsPerJob));
  Line("verdict " + verdict);
  return ok;
}

bool Session::RunOne(const std::filesystem::path& job, const std::string& source) {
  const platform::UniqueFd fd(::open(job.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd) {
    ++jobs_;
    records_ = 0;
    Line("job " + std::to_string(jobs_) + " " + ReportEscape(source));
    return Finish("failed cannot-read-job", false);
  }
  return RunOne(fd.get(), source);
}

bool Session::RunOne(int jobFd, const std::string& source) {
  ++jobs_;
  records_ = 0;
  Line("job " + std::to_string(jobs_) + " " + ReportEscape(source));
  std::vector<std::string> notes;
  std::string error;
  const bool imported = disk_.Import(notes, error);
  for (const std::string& note : notes) Record(note);
  DiskSnapshot before;
  if (!imported || !TakeSnapshot(disk_.FlatFd(), before)) {
    // What was moved already goes back.
    notes.clear();
    std::string ignored;
    disk_.Export(notes, ignored);
    std::fprintf(stderr, "kmsim: %s\n", TerminalText(error).c_str());
    return Finish("failed disk", false);
  }

  const JobResult result = RunJob(jobFd, jobs_, disk_, options_);
  DiskSnapshot after;
  const bool seen = TakeSnapshot(disk_.FlatFd(), after);
  if (seen) {
    for (const std::string& change : Changes(before, after)) Record(change);
  }
  for (const auto& page : result.pages) Record("page " + ReportEscape(page.string()));

  std::string scratchError;
  const bool cleared = disk_.ClearScratch(scratchError);
  notes.clear();
  const bool exported = disk_.Export(notes, error);
  for (const std::string& note : notes) Record(note);
  if (!result.output.empty()) {
    // Each line of the job's output marked as such, so that none passes for kmsim's own.
    std::string text = TerminalText(result.output);
    if (text.back() != '\n') text.push_back('\n');
    std::string marked;
    std::size_t start = 0;
    while (start < text.size()) {
      const std::size_t end = text.find('\n', start);
      marked.append("| ").append(text, start, end + 1 - start);
      start = end + 1;
    }
    std::fprintf(stderr, "kmsim: job %d: interpreter output", jobs_);
    if (result.outputSize > result.output.size()) {
      std::fprintf(stderr, " (the last %zu of %llu bytes)", result.output.size(),
                   static_cast<unsigned long long>(result.outputSize));
    }
    std::fprintf(stderr, ":\n%s", marked.c_str());
  }
  if (!exported || !seen || !cleared) {
    std::fprintf(stderr, "kmsim: %s\n",
                 TerminalText(!exported  ? error
                              : !cleared ? scratchError
                                         : "cannot read the disk after the job")
                     .c_str());
    return Finish("failed disk", false);
  }
  return Finish(result.verdict, result.ok);
}

}  // namespace kmsim
