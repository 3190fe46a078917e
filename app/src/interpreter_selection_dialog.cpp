#include "interpreter_selection_dialog.h"

#include <wx/button.h>
#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/msgdlg.h>
#include <wx/sizer.h>
#include <wx/statbox.h>

#include "program_identity.h"
#include "settings/settings_file.h"
#include "settings/settings_keys.h"
#include "stub_editor.h"

namespace app {

InterpreterSelectionDialog::InterpreterSelectionDialog(wxWindow* parent)
    : wxDialog(parent, wxID_ANY, _("Select Tessel Compose")) {
  settings::Settings stored;
  {
    const settings::SettingsFile file;
    stored = settings::ReadSettings(file);
  }

  auto* group = new wxStaticBoxSizer(wxVERTICAL, this, _("Select Tessel Compose"));
  wxWindow* box = group->GetStaticBox();
  local_ = new wxRadioButton(box, kLocalId, _("Use the Tessel Compose installed on this PC"),
                             wxDefaultPosition, wxDefaultSize, wxRB_GROUP);
  core_ = new PathEntryField(box, kCoreFieldId,
                             _("Enter the full path to your computer's Tessel Compose directory"),
                             wxString::FromUTF8(stored.koraCore), settings::kKoraCore, _("Browse"),
                             wxEmptyString, true, false);
  builtin_ = new wxRadioButton(box, kBuiltinId, _("Use KORAManage's built-in Tessel Compose"));
  stub_ = new PathEntryField(box, kStubFieldId, _("Enter the full path to the stub file"),
                             wxString::FromUTF8(stored.koraStub), settings::kKoraStub, _("Browse"),
                             _("All Files (*.*)|*.*"), false, true);
  auto* editStub = new wxButton(box, kEditStubId, _("Edit Stub File..."));
  lumen_ = new wxCheckBox(box, wxID_ANY, _("Include the Lumen Imaging module"));
  (stored.useBuiltin ? builtin_ : local_)->SetValue(true);
  lumen_->SetValue(stored.includeLMI);

  for (wxWindow* control : std::initializer_list<wxWindow*>{local_, core_, builtin_, stub_}) {
    group->Add(control, 0, wxEXPAND | wxALL, 5);
  }
  group->Add(editStub, 0, wxALL, 5);
  group->Add(lumen_, 0, wxALL, 5);

  auto* buttons = new wxBoxSizer(wxHORIZONTAL);
  buttons->Add(new wxButton(this, kOkId, _("OK")), 0, wxALL, 5);
  buttons->Add(new wxButton(this, wxID_CANCEL, _("Cancel")), 0, wxALL, 5);

  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(group, 1, wxEXPAND | wxALL, 8);
  column->Add(buttons, 0, wxALIGN_CENTER_HORIZONTAL | wxBOTTOM, 8);
  SetSizerAndFit(column);
  Centre();

  Bind(wxEVT_BUTTON, &InterpreterSelectionDialog::OnEditStub, this, kEditStubId);
  Bind(wxEVT_BUTTON, &InterpreterSelectionDialog::OnOk, this, kOkId);
}

void InterpreterSelectionDialog::OnEditStub(wxCommandEvent&) {
  const wxString path = stub_->GetPath();
  if (path.empty()) return;
  if (!wxFileName::FileExists(path)) {
    wxMessageBox(_("The file does not exist.") + "\n\n" + path, kShortName, wxOK | wxICON_ERROR,
                 this);
    return;
  }
  if (!StartStubEditor(path.utf8_string())) {
    wxMessageBox(_("KORAManage cannot find the appropriate text editor."), kShortName,
                 wxOK | wxICON_ERROR, this);
  }
}

void InterpreterSelectionDialog::OnOk(wxCommandEvent&) {
  const bool useBuiltin = builtin_->GetValue();
  if (useBuiltin && stub_->GetPath().empty()) {
    wxMessageBox(_("Please provide a path to the stub file."), _("KORA Stub Path"),
                 wxOK | wxICON_ERROR, this);
    return;
  }
  if (!useBuiltin && core_->GetPath().empty()) {
    wxMessageBox(_("Please provide a path to the Tessel Compose."), _("Tessel Compose Path"),
                 wxOK | wxICON_ERROR, this);
    return;
  }
  {
    settings::SettingsFile file;
    settings::WriteBool(file, settings::kUseBuiltin, useBuiltin);
    settings::WriteText(file, settings::kKoraCore, core_->GetPath().utf8_string());
    settings::WriteText(file, settings::kKoraStub, stub_->GetPath().utf8_string());
    settings::WriteBool(file, settings::kIncludeLMI, lumen_->GetValue());
  }
  // Also read when the dialog runs without a modal loop of its own.
  SetReturnCode(wxID_OK);
  EndDialog(wxID_OK);
}

bool ShowInterpreterSelection(wxWindow* parent) {
  InterpreterSelectionDialog dialog(parent);
  return dialog.ShowModal() == wxID_OK;
}

}  // namespace app
