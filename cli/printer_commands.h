#pragma once
#include "command_line.h"

namespace kmjob {

// kmjob printers: the destinations as the program offers them.
int PrintersCommand(const CommandLine& line);
// kmjob send FILE --dest NAME: a file delivered as it is.
int SendCommand(const CommandLine& line);
// kmjob group add|set|remove|list ...
int GroupCommand(const CommandLine& line);

}  // namespace kmjob
