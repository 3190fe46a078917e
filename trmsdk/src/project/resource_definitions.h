#pragma once
// Resources carried inside a printable container's data stream instead of stored on the disk.
#include <cstdint>

#include "frame/job_file.h"
#include "frame/records.h"
#include "tpsdk/project.h"

namespace trm {

// One definition block per resource the filter of the flags keeps, in project order; TRM_OK
// or the failure code (a resource file that cannot be sent, a write) naming the file.
int WriteResourceDefinitions(const JobContext& job, const tpsdk::Project& project,
                             std::uint32_t flags);

}  // namespace trm
