#include "frame/job_file.h"
#include "frame/library_state.h"
#include "project/project_load_body.h"
#include "project/project_opening.h"
#include "stream/job_text.h"
#include "trm.h"

namespace {

constexpr std::string_view kOperation = "trmCreateProjectResourceLoader";
constexpr std::string_view kDeployLine = "%%KORA_DEPLOY_JOB_RESOURCES \"true\"\n";

}  // namespace

extern "C" int trmCreateProjectResourceLoader(const trmPPS* pps, const trmVOS* vos) {
  if (!trm::IsInitialised()) return TRM_NOT_INITIALIZED;
  if (int code = trm::CheckOpeningParameters(kOperation, pps, vos); code != TRM_OK) return code;
  return trm::WriteJob(kOperation, *vos, trm::JobBuild::kSections, [&](const trm::JobContext& job) {
    trm::OpenedProject opened;
    if (int code = opened.Open(kOperation, *pps); code != TRM_OK) return code;
    if (int code = job.Section(trm::JobHeader(kOperation, kDeployLine)); code != TRM_OK) {
      return code;
    }
    return trm::WriteProjectLoadBody(job, opened.project(), *pps);
  });
}
