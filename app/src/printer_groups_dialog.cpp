#include "printer_groups_dialog.h"

#include <wx/bmpbuttn.h>
#include <wx/display.h>
#include <wx/intl.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/stattext.h>
#include <wx/textdlg.h>

#include <algorithm>

#include "app_art.h"
#include "library_text.h"
#include "printing/printer_list.h"
#include "program_identity.h"
#include "settings/printer_group_store.h"
#include "settings/settings_file.h"
#include "settings/settings_keys.h"

namespace app {
namespace {

wxString FromUtf8(const std::string& text) {
  return wxString::FromUTF8(text);
}

void ShowError(wxWindow* parent, const wxString& message) {
  wxMessageBox(message, kShortName, wxOK | wxICON_ERROR, parent);
}

wxString StoreProblem(settings::GroupStoreStatus status, const std::string& error,
                      const wxString& group) {
  switch (status) {
    case settings::GroupStoreStatus::kNoSettingsFile:
      return _("The settings file cannot be found.") + "\n\n" +
             FromUtf8(settings::SettingsFile().path());
    case settings::GroupStoreStatus::kNoSuchGroup:
      return _("The printer group is no longer in the settings file.") + "\n\n" + group;
    default:
      return TranslatedLibraryText(error);
  }
}

}  // namespace

PrinterGroupsDialog::PrinterGroupsDialog(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, _("Printer Groups"), wxDefaultPosition, wxDefaultSize,
               wxDEFAULT_DIALOG_STYLE | wxRESIZE_BORDER) {
  auto* add = new wxBitmapButton(this, kAddId, AddBitmap());
  add->SetToolTip(_("Add a new printer group."));
  auto* remove = new wxBitmapButton(this, kDeleteId, DeleteBitmap());
  remove->SetToolTip(_("Delete the selected printer group."));
  groups_ = new wxChoice(this, kGroupsId);
  printers_ = new wxCheckListBox(this, kPrintersId, wxDefaultPosition, FromDIP(wxSize(280, 200)));
  checkAll_ = new wxButton(this, kCheckAllId, _("Check All"));
  checkAll_->SetToolTip(_("Check all printers."));
  uncheckAll_ = new wxButton(this, kUncheckAllId, _("Uncheck All"));
  uncheckAll_->SetToolTip(_("Uncheck all printers."));

  // With no printer the list holds the no-printer text the program kept at start.
  for (const std::string& printer : printing::ListPostScriptPrinters()) {
    printers_->Append(FromUtf8(printer));
  }
  for (const std::string& group : settings::ListGroups()) groups_->Append(FromUtf8(group));

  auto* groupRow = new wxBoxSizer(wxHORIZONTAL);
  groupRow->Add(groups_, 1, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  groupRow->Add(add, 0, wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  groupRow->Add(remove, 0, wxALIGN_CENTER_VERTICAL);

  auto* checkRow = new wxBoxSizer(wxHORIZONTAL);
  checkRow->Add(checkAll_, 0, wxRIGHT, 6);
  checkRow->Add(uncheckAll_, 0);

  auto* buttons = new wxStdDialogButtonSizer;
  buttons->AddButton(new wxButton(this, wxID_OK, _("OK")));
  buttons->AddButton(new wxButton(this, wxID_CANCEL, _("Cancel")));
  apply_ = new wxButton(this, wxID_APPLY, _("Apply"));
  buttons->AddButton(apply_);
  buttons->Realize();

  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(new wxStaticText(this, wxID_ANY, _("Printer Groups:")), 0, wxLEFT | wxRIGHT | wxTOP,
              10);
  column->Add(groupRow, 0, wxEXPAND | wxALL, 10);
  column->Add(new wxStaticText(this, wxID_ANY, _("Printers:")), 0, wxLEFT | wxRIGHT, 10);
  column->Add(printers_, 1, wxEXPAND | wxALL, 10);
  column->Add(checkRow, 0, wxLEFT | wxRIGHT | wxBOTTOM, 10);
  column->Add(buttons, 0, wxEXPAND | wxALL, 10);
  SetSizerAndFit(column);
  SetMinSize(GetSize());
  Centre();
  apply_->Disable();

  if (groups_->IsEmpty()) {
    EnableChecks(false);
  } else {
    ShowGroup(groups_->GetString(0));
  }
  RestoreSize();

  Bind(
      wxEVT_BUTTON, [this](wxCommandEvent&) { AddGroup(); }, kAddId);
  Bind(
      wxEVT_BUTTON, [this](wxCommandEvent&) { DeleteGroup(); }, kDeleteId);
  Bind(wxEVT_CHOICE, &PrinterGroupsDialog::OnGroupChosen, this, kGroupsId);
  Bind(
      wxEVT_CHECKLISTBOX, [this](wxCommandEvent&) { ChecksChanged(); }, kPrintersId);
  Bind(wxEVT_BUTTON, &PrinterGroupsDialog::OnChecksButton, this, kCheckAllId);
  Bind(wxEVT_BUTTON, &PrinterGroupsDialog::OnChecksButton, this, kUncheckAllId);
  Bind(wxEVT_BUTTON, &PrinterGroupsDialog::OnOk, this, wxID_OK);
  Bind(wxEVT_BUTTON, &PrinterGroupsDialog::OnApply, this, wxID_APPLY);
}

void PrinterGroupsDialog::RestoreSize() {
  long width = 0;
  long height = 0;
  {
    const settings::SettingsFile file;
    if (!settings::ReadLong(file, settings::kPgWidth, width) ||
        !settings::ReadLong(file, settings::kPgHeight, height)) {
      return;
    }
  }
  // A stored size never makes the dialog smaller than its controls or larger than the screen.
  const wxRect screen = wxDisplay(this).GetClientArea();
  const wxSize least = GetMinSize();
  width = std::clamp<long>(width, least.x, std::max(least.x, screen.width));
  height = std::clamp<long>(height, least.y, std::max(least.y, screen.height));
  SetSize(static_cast<int>(width), static_cast<int>(height));
  Centre();
}

std::vector<std::string> PrinterGroupsDialog::CheckedPrinters() const {
  std::vector<std::string> checked;
  for (unsigned i = 0; i < printers_->GetCount(); ++i) {
    if (printers_->IsChecked(i)) checked.push_back(printers_->GetString(i).utf8_string());
  }
  return checked;
}

void PrinterGroupsDialog::CheckMembers(const std::vector<std::string>& members) {
  CheckEvery(false);
  // Printer names are matched as the print server matches them, letter case ignored; a member
  // not listed is left out of the view.
  for (const std::string& member : members) {
    const int index = printers_->FindString(FromUtf8(member));
    if (index != wxNOT_FOUND) printers_->Check(static_cast<unsigned>(index));
  }
}

bool PrinterGroupsDialog::ChecksDifferFromStored() const {
  std::vector<bool> stored(printers_->GetCount(), false);
  for (const std::string& member : settings::ReadGroupMembers(shown_.utf8_string())) {
    const int index = printers_->FindString(FromUtf8(member));
    if (index != wxNOT_FOUND) stored[static_cast<std::size_t>(index)] = true;
  }
  for (unsigned i = 0; i < printers_->GetCount(); ++i) {
    if (printers_->IsChecked(i) != stored[i]) return true;
  }
  return false;
}

void PrinterGroupsDialog::CheckEvery(bool check) {
  for (unsigned i = 0; i < printers_->GetCount(); ++i) printers_->Check(i, check);
}

void PrinterGroupsDialog::EnableChecks(bool enable) {
  printers_->Enable(enable);
  checkAll_->Enable(enable);
  uncheckAll_->Enable(enable);
}

void PrinterGroupsDialog::ChecksChanged() {
  apply_->Enable(!groups_->IsEmpty());
}

void PrinterGroupsDialog::ShowGroup(const wxString& name) {
  if (!shown_.empty()) {
    if (name.IsSameAs(shown_, false)) return;
    if (ChecksDifferFromStored()) {
      const int answer = wxMessageBox(
          _("Do you want to keep the changes made to the printer group.") + "\n\n" + shown_,
          kShortName, wxYES_NO | wxICON_QUESTION, this);
      if (answer == wxYES && !SaveShownGroup()) {
        groups_->SetSelection(groups_->FindString(shown_, true));
        return;
      }
    }
  }
  int index = groups_->FindString(name, true);
  if (index == wxNOT_FOUND) index = groups_->FindString(name);
  groups_->SetSelection(index);
  CheckMembers(settings::ReadGroupMembers(name.utf8_string()));
  apply_->Disable();
  shown_ = name;
}

bool PrinterGroupsDialog::SaveShownGroup() {
  if (groups_->IsEmpty()) return true;
  std::string error;
  const settings::GroupStoreStatus status =
      settings::SetGroupMembers(shown_.utf8_string(), CheckedPrinters(), {}, &error);
  if (status == settings::GroupStoreStatus::kOk) return true;
  ShowError(this, StoreProblem(status, error, shown_));
  return false;
}

void PrinterGroupsDialog::AddGroup() {
  wxTextEntryDialog ask(this, _("Enter the name of the new printer group."), _("Add Group"));
  if (ask.ShowModal() != wxID_OK) return;
  const settings::GroupAddResult added =
      settings::AddGroup(ask.GetValue().utf8_string(), printing::IsInstalledPrinter);
  const wxString name = FromUtf8(added.name.name);
  if (added.status == settings::GroupStoreStatus::kRefused) {
    const std::string message = settings::GroupNameMessage(added.name);
    if (!message.empty()) ShowError(this, TranslatedLibraryText(message));
    return;
  }
  if (added.status != settings::GroupStoreStatus::kOk) {
    ShowError(this, StoreProblem(added.status, added.error, name));
    return;
  }
  groups_->Append(name);
  ShowGroup(name);
  EnableChecks(true);
}

void PrinterGroupsDialog::DeleteGroup() {
  const int selected = groups_->GetSelection();
  if (selected == wxNOT_FOUND) return;
  const wxString name = groups_->GetString(static_cast<unsigned>(selected));
  if (wxMessageBox(_("Are you sure you want to delete the selected printer group?") + "\n\n" + name,
                   kShortName, wxOK | wxCANCEL | wxICON_QUESTION, this) != wxOK) {
    return;
  }
  if (settings::RemoveGroup(name.utf8_string()) != settings::GroupStoreStatus::kOk) {
    wxMessageBox(TranslatedLibraryText(settings::RemoveGroupMessage(name.utf8_string())),
                 kShortName, wxOK | wxICON_INFORMATION, this);
    return;
  }
  shown_.clear();
  groups_->Delete(static_cast<unsigned>(selected));
  if (groups_->IsEmpty()) {
    CheckEvery(false);
    apply_->Disable();
    EnableChecks(false);
  } else {
    ShowGroup(groups_->GetString(0));
  }
}

void PrinterGroupsDialog::OnGroupChosen(wxCommandEvent& event) {
  if (event.GetString() != shown_) ShowGroup(event.GetString());
  // The choice keeps naming the group whose checks are shown.
  groups_->SetSelection(groups_->FindString(shown_, true));
  event.Skip();
}

void PrinterGroupsDialog::OnChecksButton(wxCommandEvent& event) {
  CheckEvery(event.GetId() == kCheckAllId);
  ChecksChanged();
  event.Skip();
}

void PrinterGroupsDialog::OnApply(wxCommandEvent& event) {
  if (SaveShownGroup()) apply_->Disable();
  event.Skip();
}

void PrinterGroupsDialog::OnOk(wxCommandEvent& event) {
  // The dialog stays open when anything could not be written, so no check is lost unseen.
  if (!SaveShownGroup()) return;
  wxString names;
  for (unsigned i = 0; i < groups_->GetCount(); ++i) {
    names += (i ? "," : "") + groups_->GetString(i);
  }
  settings::SettingsFile file;
  const wxSize size = GetSize();
  if (!settings::WriteText(file, settings::kPg, names.utf8_string()) ||
      !settings::WriteLong(file, settings::kPgWidth, size.x) ||
      !settings::WriteLong(file, settings::kPgHeight, size.y) || !file.Flush()) {
    ShowError(this, TranslatedLibraryText(file.lastError().empty()
                                              ? "cannot change the settings file " + file.path()
                                              : file.lastError()));
    return;
  }
  event.Skip();
}

void ShowPrinterGroups(wxWindow* parent) {
  PrinterGroupsDialog dialog(parent);
  dialog.ShowModal();
}

}  // namespace app
