#pragma once
#include "command_line.h"

namespace kmjob {

// Each writes one job with the generator and returns the process exit status.
int ListFilesCommand(const CommandLine& line);
int LoadFilesCommand(const CommandLine& line);
int RemoveFilesCommand(const CommandLine& line);
int LoadFontsCommand(const CommandLine& line);

// 0 for success, otherwise the status code less 1000.
int ExitStatusOf(int statusCode);

}  // namespace kmjob
