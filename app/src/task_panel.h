#pragma once
// The seven tasks: the task list with its icons, the page of the selected task, and the
// destination row (destination choice and "Print status page.") that every task shares.

#include <wx/checkbox.h>
#include <wx/choice.h>
#include <wx/confbase.h>
#include <wx/listctrl.h>
#include <wx/panel.h>
#include <wx/sizer.h>

#include <array>
#include <string>

namespace app {

inline constexpr int kTaskCount = 7;
inline constexpr int kDestinationId = 201;

// One row of the task table: list text, icon name, help keyword, tool tip of the page's
// information button. Texts shown to the user are translated where they are shown.
struct TaskInfo {
  const char* label;
  const char* icon;
  const char* helpKeyword;
  const char* helpTip;
};
// The seven tasks in list order (the index is the task number and the icon index).
const std::array<TaskInfo, kTaskCount>& Tasks();

class TaskPanel : public wxPanel {
 public:
  // The panel with all pages, the destinations listed and lastPrinter/statusPage restored.
  explicit TaskPanel(wxWindow* parent);

  // The selected destination as shown (a group keeps its prefix).
  std::string GetDestination() const;
  // The destination with every group prefix removed.
  std::string GetStatusLabel() const;
  bool GetStatusPage() const { return statusPage_->GetValue(); }
  int currentTask() const { return currentTask_; }

  // Selects task index (0-6) in the list and shows its page, as a click on the list does.
  void SelectTask(int index);
  // Help for the current task.
  void ShowTaskHelp();
  // Puts lastPrinter (unless the no-printer entry or nothing is selected) and statusPage into
  // settings; false when the configuration refused a value. The caller flushes.
  bool SaveChoices(wxConfigBase& settings) const;
  // Why the print server could not be asked when the destinations were last listed; empty
  // when it could.
  const std::string& destinationError() const { return destinationError_; }
  // Lists the destinations again (after the printer groups changed), keeping the selection.
  void RefreshDestinations();

  wxChoice* destination() const { return destination_; }
  wxCheckBox* statusPage() const { return statusPage_; }
  wxListCtrl* taskList() const { return taskList_; }
  wxWindow* page(int index) const { return pages_[index]; }

 private:
  void ShowPage(int index);
  void OnTaskSelected(wxListEvent& event);
  void OnSize(wxSizeEvent& event);
  void FitTaskColumn();
  void RestoreChoices();

  wxListCtrl* taskList_ = nullptr;
  std::array<wxWindow*, kTaskCount> pages_{};
  wxBoxSizer* pageArea_ = nullptr;
  int currentTask_ = 0;
  wxChoice* destination_ = nullptr;
  wxCheckBox* statusPage_ = nullptr;
  std::string destinationError_;
};

}  // namespace app
