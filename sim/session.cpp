#include "session.h"

#include <vector>

#include "printer_name.h"

namespace kmsim {

void Session::Line(const std::string& text) {
  std::fprintf(report_, "%s\n", text.c_str());
  std::fflush(report_);
}

bool Session::RunOne(const std::filesystem::path& job, const std::string& source) {
  ++jobs_;
  Line("job " + std::to_string(jobs_) + " " + ReportEscape(source));
  std::vector<std::string> notes;
  std::string error;
  if (!disk_.Import(notes, error)) {
    for (const std::string& note : notes) Line(note);
    Line("verdict failed disk");
    std::fprintf(stderr, "kmsim: %s\n", error.c_str());
    return false;
  }
  for (const std::string& note : notes) Line(note);

  const JobResult result = RunJob(job, jobs_, disk_, options_);
  for (const std::string& event : result.events) Line(event);
  for (const auto& page : result.pages) Line("page " + ReportEscape(page.string()));

  notes.clear();
  const bool exported = disk_.Export(notes, error);
  for (const std::string& note : notes) Line(note);
  if (!result.output.empty()) {
    std::fprintf(stderr, "kmsim: job %d: interpreter output:\n%s", jobs_, result.output.c_str());
    if (result.output.back() != '\n') std::fputc('\n', stderr);
  }
  if (!exported) {
    std::fprintf(stderr, "kmsim: %s\n", error.c_str());
    Line("verdict failed disk");
    return false;
  }
  Line("verdict " + result.verdict);
  return result.ok;
}

}  // namespace kmsim
