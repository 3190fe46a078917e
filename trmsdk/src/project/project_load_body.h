#pragma once
// The body of the project load job, shared with the printable container that deploys a
// project's resources before its data.
#include "frame/job_file.h"
#include "frame/records.h"
#include "tpsdk/project.h"

namespace trm {

// Writes the start banner, prolog and date line, one load_file record per selected resource
// (reference records for filtered-out shared ones), the end_list when asked and anything was
// loaded, and the end banner. TRM_OK; TRM_NO_RESOURCE_LOADED (status set, project name as
// detail) when nothing was loaded; or the failure code of a resource or write.
int WriteProjectLoadBody(const JobContext& job, const tpsdk::Project& project, const trmPPS& pps);

}  // namespace trm
