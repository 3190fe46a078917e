#pragma once
#include "command_line.h"

namespace kmjob {

// kmjob project-info PROJECT.tpf [--stub FILE | --kora DIR]: what the project model reads
// from the project file, with the resource folders of the given stub file, or else of the
// interpreter chosen in the settings file; 1 when the model reported an error.
int ProjectInfoCommand(const CommandLine& line);

}  // namespace kmjob
