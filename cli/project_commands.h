#pragma once
#include "command_line.h"

namespace kmjob {

// kmjob project-info PROJECT.tpf (--stub FILE | --kora DIR): what the project model reads
// from the project file; 1 when it reported an error.
int ProjectInfoCommand(const CommandLine& line);

}  // namespace kmjob
