#pragma once
// The project model of a project command, with the resource folders of a stub file.

#include <memory>

#include "command_line.h"
#include "tpsdk/project.h"

namespace kmjob {

// A project that has read the stub file given by --stub, or the run file src/mtbdos.run of
// the installation given by --kora, or else the one of the interpreter chosen in the settings
// file. Null when there is none or it does not exist; then the reason is on standard error.
std::unique_ptr<tpsdk::Project> CreateProjectFor(const CommandLine& line);

}  // namespace kmjob
