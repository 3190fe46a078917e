#include "project_stub.h"

#include <cstdio>
#include <string>

#include "project_listing.h"
#include "settings/settings_file.h"
#include "settings/settings_keys.h"
#include "tpsdk/tpsdk.h"

namespace kmjob {
namespace {

// The stub file of the interpreter chosen in the settings file: the built-in image's stub, or
// the run file of the local installation. Empty when no choice is stored.
std::string StubFromSettings(const CommandLine& line) {
  settings::SettingsFile file(settings::kApplicationName, {}, line.settings.value_or(""));
  const settings::Settings stored = settings::ReadSettings(file);
  if (stored.useBuiltin) return stored.koraStub;
  return stored.koraCore.empty() ? std::string() : stored.koraCore + "/src/mtbdos.run";
}

}  // namespace

std::unique_ptr<tpsdk::Project> CreateProjectFor(const CommandLine& line) {
  const std::string stubPath = line.stub   ? *line.stub
                               : line.kora ? *line.kora + "/src/mtbdos.run"
                                           : StubFromSettings(line);
  if (stubPath.empty()) {
    std::fprintf(stderr,
                 "kmjob: no interpreter is chosen in the settings file; give --stub FILE or "
                 "--kora DIR\n");
    return nullptr;
  }
  auto project = tpsdk::TpsdkCreateProject(stubPath.c_str());
  if (!project) {
    std::fprintf(stderr, "kmjob: the stub file %s does not exist\n", Printable(stubPath).c_str());
  }
  return project;
}

}  // namespace kmjob
