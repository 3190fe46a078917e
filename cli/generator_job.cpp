#include "generator_job.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "console_task_reporter.h"
#include "delivery.h"
#include "generator_session.h"
#include "job_commands.h"
#include "tasks/task_run.h"

namespace kmjob {

namespace {

int TaskExitStatus(const tasks::TaskOutcome& outcome) {
  switch (outcome.result) {
    case tasks::TaskResult::kDelivered:
    case tasks::TaskResult::kWritten:
      return 0;
    case tasks::TaskResult::kNotDelivered:
      return ExitStatusOf(outcome.delivery);
    case tasks::TaskResult::kGeneratorFailed:
      return ExitStatusOf(outcome.status);
    case tasks::TaskResult::kNoTemporaryFile:
    case tasks::TaskResult::kOutOfMemory:
      break;
  }
  return 1;
}

}  // namespace

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
  tasks::TaskRequest request;
  request.documentName = documentName;
  request.destination = DestinationOf(line);
  request.outputPath = line.output.value_or(std::string());
  request.overwriteOutput = line.overwriteOutput;
  request.progressText = progressText;
  request.settingsFile = line.settings.value_or(std::string());
  request.writeJob = writeJob;
  ConsoleTaskReporter reporter(line.output.has_value());
  return TaskExitStatus(tasks::RunTask(request, reporter));
}

}  // namespace kmjob
