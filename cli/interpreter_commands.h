#pragma once
#include "command_line.h"

namespace kmjob {

// kmjob install | uninstall | startup: jobs that store, remove or start the KORA interpreter on
// the printer. Each returns the process exit status.
int InstallCommand(const CommandLine& line);
int UninstallCommand(const CommandLine& line);
int StartupCommand(const CommandLine& line);

}  // namespace kmjob
