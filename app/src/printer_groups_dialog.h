#pragma once
// Creates, edits and deletes the printer groups stored in the settings file.

#include <wx/checklst.h>
#include <wx/choice.h>
#include <wx/dialog.h>

#include <string>
#include <vector>

namespace app {

class PrinterGroupsDialog : public wxDialog {
 public:
  static constexpr int kAddId = 300;
  static constexpr int kDeleteId = 301;
  static constexpr int kGroupsId = 302;
  static constexpr int kPrintersId = 303;
  static constexpr int kCheckAllId = 304;
  static constexpr int kUncheckAllId = 305;

  explicit PrinterGroupsDialog(wxWindow* parent);

  // The name of the group shown; empty when there is none.
  const wxString& shownGroup() const { return shown_; }
  wxChoice* groups() const { return groups_; }
  wxCheckListBox* printers() const { return printers_; }

  // The handlers, callable by tests as the buttons call them.
  void AddGroup();
  void DeleteGroup();
  void ShowGroup(const wxString& name);
  void SaveShownGroup();

 private:
  // The members as the checks show them, in list order.
  std::vector<std::string> CheckedPrinters() const;
  void EnableChecks(bool enable);
  void ChecksChanged();

  void OnGroupChosen(wxCommandEvent& event);
  void OnOk(wxCommandEvent& event);
  void OnApply(wxCommandEvent& event);

  wxString shown_;
  wxChoice* groups_ = nullptr;
  wxCheckListBox* printers_ = nullptr;
};

// Shows the dialog modally (the caller rebuilds the destination list afterwards, whatever
// closed it).
void ShowPrinterGroups(wxWindow* parent);

}  // namespace app
