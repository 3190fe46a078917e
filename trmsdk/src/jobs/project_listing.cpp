#include <string>

#include "frame/job_file.h"
#include "frame/library_state.h"
#include "project/project_opening.h"
#include "project/resource_selection.h"
#include "trm.h"

namespace {

constexpr std::string_view kOperation = "trmListProjectResources";

}  // namespace

extern "C" int trmListProjectResources(const trmPPS* pps, const trmVOS* vos) {
  if (!trm::IsInitialised()) return TRM_NOT_INITIALIZED;
  if (int code = trm::CheckOpeningParameters(kOperation, pps, vos); code != TRM_OK) return code;
  return trm::WriteJob(kOperation, *vos, trm::JobBuild::kInMemory, [&](const trm::JobContext& job) {
    trm::OpenedProject opened;
    if (int code = opened.Open(kOperation, *pps); code != TRM_OK) return code;
    std::string listing;
    trm::ForEachSelectedResource(
        opened.project(), pps->selectedResources, pps->flags,
        [&](const tpsdk::ProjectElement& element) {
          listing.append(element.GetType()).append(" ").append(element.GetLocalPath()).append("\n");
          return TRM_OK;
        });
    return job.Section(listing);
  });
}
