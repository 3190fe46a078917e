#include "path_entry_field.h"

#include <wx/button.h>
#include <wx/dirdlg.h>
#include <wx/dnd.h>
#include <wx/filedlg.h>
#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/sizer.h>
#include <wx/stattext.h>

#include "settings/settings_file.h"
#include "settings/settings_keys.h"

namespace app {

wxDEFINE_EVENT(PathChosenEvent, wxCommandEvent);

std::optional<PathChoice> ShowPathChooser(const PathChoiceRequest& request) {
  if (request.chooseDirectory) {
    wxDirDialog chooser(request.parent, request.message, request.startDirectory);
    if (chooser.ShowModal() != wxID_OK) return std::nullopt;
    return PathChoice{chooser.GetPath(), chooser.GetPath()};
  }
  wxFileDialog chooser(request.parent, request.message, request.startDirectory, wxEmptyString,
                       request.wildcard, wxFD_OPEN | wxFD_FILE_MUST_EXIST);
  if (chooser.ShowModal() != wxID_OK) return std::nullopt;
  return PathChoice{chooser.GetPath(), chooser.GetDirectory()};
}

// Files dragged onto the control fill the field with the first one; the owner is not told,
// as the user has not confirmed anything yet.
class PathEntryField::FileDrop : public wxFileDropTarget {
 public:
  explicit FileDrop(wxTextCtrl* text) : text_(text) {}
  bool OnDropFiles(wxCoord, wxCoord, const wxArrayString& files) override {
    if (!files.empty()) text_->ChangeValue(files[0]);
    return true;
  }

 private:
  wxTextCtrl* text_;
};

PathEntryField::PathEntryField(wxWindow* parent, int id, const wxString& caption,
                               const wxString& initialPath, const wxString& settingsKey,
                               const wxString& dialogTitle, const wxString& wildcard,
                               bool chooseDirectory, bool rememberFile)
    : wxPanel(parent, id),
      settingsKey_(settingsKey),
      dialogTitle_(dialogTitle),
      wildcard_(wildcard),
      chooseDirectory_(chooseDirectory),
      rememberFile_(rememberFile) {
  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(new wxStaticText(this, wxID_ANY, caption), 0, wxEXPAND | wxBOTTOM, 8);
  auto* row = new wxBoxSizer(wxHORIZONTAL);
  text_ = new wxTextCtrl(this, kTextId, initialPath, wxDefaultPosition, wxDefaultSize,
                         wxTE_PROCESS_ENTER);
  row->Add(text_, 1, wxALIGN_CENTER_VERTICAL);
  row->Add(new wxButton(this, kBrowseId, _("Browse...")), 0,
           wxALIGN_CENTER_VERTICAL | wxLEFT | wxRIGHT, 8);
  column->Add(row, 0, wxEXPAND);
  SetSizerAndFit(column);

  SetDropTarget(new FileDrop(text_));
  text_->Bind(wxEVT_TEXT_ENTER, &PathEntryField::OnEnter, this);
  Bind(wxEVT_BUTTON, &PathEntryField::OnBrowse, this, kBrowseId);
}

void PathEntryField::PostChosen() {
  auto* event = new wxCommandEvent(PathChosenEvent, GetId());
  event->SetEventObject(this);
  QueueEvent(event);
}

void PathEntryField::OnEnter(wxCommandEvent&) {
  if (!text_->GetValue().empty()) PostChosen();
}

void PathEntryField::OnBrowse(wxCommandEvent&) {
  const std::string key = settingsKey_.utf8_string();
  std::string lastPlace;
  {
    const settings::SettingsFile file;
    settings::ReadText(file, key, lastPlace);
  }
  PathChoiceRequest request{this, dialogTitle_, wxString::FromUTF8(lastPlace), wildcard_,
                            chooseDirectory_};
  if (!chooseDirectory_ && rememberFile_) {
    request.startDirectory = wxFileName(request.startDirectory).GetPath();
  }
  const std::optional<PathChoice> choice = chooser_(request);
  if (!choice) return;

  text_->ChangeValue(choice->path);
  const wxString remembered = chooseDirectory_ || rememberFile_ ? choice->path : choice->directory;
  {
    settings::SettingsFile file;
    settings::WriteText(file, key, remembered.utf8_string());
  }
  PostChosen();
}

}  // namespace app
