#pragma once
#include "command_line.h"

namespace kmjob {

// kmjob tpc create PROJECT.tpf OUTPUT.tpc [--tar [--volume-blocks N]]
// kmjob tpc extract CONTAINER.tpc [--print-and-forget] [--keep-existing]
// kmjob tpc check CONTAINER.tpc
// each with [--stub FILE | --kora DIR] as project-info: writes, unpacks or checks a project
// container; the model's messages on standard error, 1 when it reported an error.
int TpcCommand(const CommandLine& line);

}  // namespace kmjob
