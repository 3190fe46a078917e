#pragma once
// Creates, edits and deletes the printer groups stored in the settings file.

#include <wx/button.h>
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
  // Offers to keep changed checks of the group shown before, then shows the group's members.
  // Does nothing for the shown group's own name in any letter case, or when keeping the
  // changes failed (the user was told).
  void ShowGroup(const wxString& name);
  // Stores the checks as the shown group's members; false (the user was told) when the
  // settings file refused them.
  bool SaveShownGroup();

 private:
  // The members as the checks show them, in list order.
  std::vector<std::string> CheckedPrinters() const;
  // Whether the checks differ from what showing the stored group would check.
  bool ChecksDifferFromStored() const;
  void CheckMembers(const std::vector<std::string>& members);
  void CheckEvery(bool check);
  void EnableChecks(bool enable);
  void ChecksChanged();
  void RestoreSize();

  void OnGroupChosen(wxCommandEvent& event);
  void OnChecksButton(wxCommandEvent& event);
  void OnOk(wxCommandEvent& event);
  void OnApply(wxCommandEvent& event);

  wxString shown_;
  wxChoice* groups_ = nullptr;
  wxCheckListBox* printers_ = nullptr;
  wxButton* checkAll_ = nullptr;
  wxButton* uncheckAll_ = nullptr;
  wxButton* apply_ = nullptr;
};

// Shows the dialog modally (the caller rebuilds the destination list afterwards, whatever
// closed it).
void ShowPrinterGroups(wxWindow* parent);

}  // namespace app
