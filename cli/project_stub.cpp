#include "project_stub.h"

#include <cstdio>
#include <string>

#include "project_listing.h"
#include "settings/settings_file.h"
#include "settings/settings_keys.h"
#include "tpsdk/tpsdk.h"

namespace kmjob {

std::string InterpreterChoice::RunFile() const {
  if (builtin) return stubPath;
  return koraDir.empty() ? std::string() : koraDir + "/src/mtbdos.run";
}

std::optional<InterpreterChoice> ChooseInterpreter(const CommandLine& line) {
  InterpreterChoice choice;
  if (line.stub) {
    choice.builtin = true;
    choice.stubPath = *line.stub;
    return choice;
  }
  if (line.kora) {
    choice.koraDir = *line.kora;
    return choice;
  }
  settings::SettingsFile file(settings::kApplicationName, {}, line.settings.value_or(""));
  const settings::Settings stored = settings::ReadSettings(file);
  choice.fromSettings = true;
  choice.includeLMI = stored.includeLMI;
  if (stored.useBuiltin) {
    choice.builtin = true;
    choice.stubPath = stored.koraStub;
    return choice;
  }
  if (stored.koraCore.empty()) return std::nullopt;
  choice.koraDir = stored.koraCore;
  return choice;
}

std::optional<InterpreterChoice> ChooseInterpreterWithRunFile(const CommandLine& line) {
  auto choice = ChooseInterpreter(line);
  if (!choice || choice->RunFile().empty()) {
    std::fprintf(stderr,
                 "kmjob: no interpreter is chosen in the settings file; give --stub FILE or "
                 "--kora DIR\n");
    return std::nullopt;
  }
  return choice;
}

std::unique_ptr<tpsdk::Project> CreateProjectFor(const CommandLine& line) {
  const auto choice = ChooseInterpreterWithRunFile(line);
  if (!choice) return nullptr;
  const std::string stubPath = choice->RunFile();
  auto project = tpsdk::TpsdkCreateProject(stubPath.c_str());
  if (!project) {
    std::fprintf(stderr, "kmjob: the stub file %s does not exist\n", Printable(stubPath).c_str());
  }
  return project;
}

}  // namespace kmjob
