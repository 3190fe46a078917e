#include "generator_job.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "delivery.h"
#include "generator_session.h"
#include "job_commands.h"
#include "job_path.h"
#include "progress_line.h"

namespace kmjob {

std::string StatusLabel(const CommandLine& line) {
  if (line.label) return *line.label;
  const auto destination = DestinationOf(line);
  return destination ? StatusLabelOf(*destination) : std::string();
}

std::string ForeignOption(const CommandLine& line, std::initializer_list<std::string_view> own,
                          bool withJobOptions) {
  auto in = [](const auto& names, const std::string& name) {
    return std::find(std::begin(names), std::end(names), name) != std::end(names);
  };
  for (const std::string& name : line.optionsGiven) {
    if (!in(own, name) && !(withJobOptions && in(kJobOptions, name))) return name;
  }
  return {};
}

int UsageError(const std::string& problem, std::string_view usage) {
  std::fprintf(stderr, "kmjob: %s\nusage: kmjob %.*s\n", problem.c_str(),
               static_cast<int>(usage.size()), usage.data());
  return kUsageError;
}

int RunGeneratorJob(const CommandLine& line, const std::string& documentName,
                    const std::string& progressText,
                    const std::function<int(const trmVOS*)>& writeJob) {
  GeneratorSession session;
  if (session.status() != TRM_OK) {
    std::fprintf(stderr, "kmjob: %s\n", LastGeneratorMessage().c_str());
    return ExitStatusOf(session.status());
  }
  VosHandle vos(trmNewVOS());
  if (!vos) {
    std::fprintf(stderr, "kmjob: out of memory\n");
    return 1;
  }
  const auto destination = DestinationOf(line);
  JobPath job(line);
  if (!job.path().empty()) trmVOSSetOutputPath(vos.get(), job.path().c_str());
  if (line.overwriteOutput) trmVOSSetFlags(vos.get(), TRM_FLAG_REPLACE);

  int status;
  {
    ProgressLine progress;
    progress.Show(progressText);
    status = writeJob(vos.get());
  }
  if (status != TRM_OK) {
    std::fprintf(stderr, "kmjob: %s\n", LastGeneratorMessage().c_str());
    return ExitStatusOf(status);
  }
  if (line.output) std::printf("%s\n", trmGetLastDetail());
  if (!destination) return 0;
  return DeliverFile(line, documentName, job.path(), *destination);
}

}  // namespace kmjob
