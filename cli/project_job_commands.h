#pragma once
#include "command_line.h"

namespace kmjob {

// kmjob load-project | remove-project | list-project | resources | send-container: the jobs and
// the listing made from a Tessel Project. Each returns the process exit status.
int LoadProjectCommand(const CommandLine& line);
int RemoveProjectCommand(const CommandLine& line);
int ListProjectCommand(const CommandLine& line);
int ResourcesCommand(const CommandLine& line);
int SendContainerCommand(const CommandLine& line);

}  // namespace kmjob
