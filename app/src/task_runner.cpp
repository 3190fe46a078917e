#include "task_runner.h"

#include "gui_task_reporter.h"
#include "tasks/task_run.h"

namespace app {

bool RunTask(wxWindow* parent, const std::string& documentName, const std::string& destination,
             const std::function<int(const trmVOS*)>& writeJob) {
  tasks::TaskRequest request;
  request.documentName = documentName;
  request.destination = destination;
  request.writeJob = writeJob;
  GuiTaskReporter reporter(parent);
  return tasks::RunTask(request, reporter).result == tasks::TaskResult::kDelivered;
}

}  // namespace app
