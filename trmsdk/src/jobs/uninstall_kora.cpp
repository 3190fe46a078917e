#include <string>

#include "frame/job_file.h"
#include "frame/library_state.h"
#include "stream/job_text.h"
#include "trm.h"

namespace {

constexpr std::string_view kOperation = "trmUninstallKORA";

std::string BuildUninstall(const trmIOS* ios) {
  const std::uint32_t flags = ios ? ios->flags : 0;
  const std::string& label = ios ? trm::TextOrEmpty(ios->statusLabel) : std::string();
  const bool status = flags & TRM_FLAG_STATUS_PAGE;
  std::string job = trm::JobHeader(kOperation);
  job += trm::kSystemModeStart;
  job += trm::PrologAndDate();
  if (flags & TRM_IOS_REMOVE_CUSTOMER) {
    job += "\n\n" + trm::ListRemoveCommand("mtbc/*", label, status, true);
  }
  if (flags & TRM_IOS_REMOVE_INTERPRETER) {
    job += "\n\n" + trm::ListRemoveCommand("mtb/*", label, status, true);
    // Nothing is left to start at power-on.
    job += trm::AutoStartCommand(label, status, '0');
  }
  if (status) job += trm::kEndList;
  job += trm::kSystemModeEnd;
  job += "\n%EOF";
  return job;
}

}  // namespace

extern "C" int trmUninstallKORA(const trmIOS* ios, const trmVOS* vos) {
  if (!trm::IsInitialised()) return TRM_NOT_INITIALIZED;
  if (!vos || !trm::IsSetText(vos->outputPath)) {
    return trm::MissingParameter(kOperation, "trmVOS.outputPath");
  }
  const std::string job = BuildUninstall(ios);
  return trm::WriteBuiltJob(kOperation, *vos, job);
}
