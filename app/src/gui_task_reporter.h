#pragma once
// How the GUI shows a task: a busy cursor while the job is written and sent, the status line
// of the parent's frame (which names the destination while the job is sent), a beep and
// message boxes.

#include <wx/utils.h>
#include <wx/window.h>

#include <optional>
#include <string>

#include "tasks/task_run.h"

namespace app {

class GuiTaskReporter : public tasks::TaskReporter {
 public:
  // parent: the window the task was started from; its frame's status bar gets the lines.
  explicit GuiTaskReporter(wxWindow* parent) : parent_(parent) {}

  void WritingJob(const std::string& progressText) override;
  void JobWritten(const std::string& jobPath) override;
  void Delivering(const std::string& documentName, const std::string& destination) override;
  void NoTemporaryFile(const std::string& reason) override;
  void GeneratorFailed(int status, const std::string& detail) override;

  void Beep() override;
  void SetStatusText(const std::string& text) override;
  void ShowError(const std::string& message) override;

 private:
  void SetStatusLine(const wxString& text);
  void ErrorBox(const wxString& text);

  wxWindow* parent_;
  // Ended before any message box and when the reporter goes, whatever the path.
  std::optional<wxBusyCursor> busy_;
};

}  // namespace app
