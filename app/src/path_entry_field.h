#pragma once
// One local path asked of the user: a caption, a text field and a "Browse..." button whose
// chooser starts where the user last browsed for this kind of path. A confirmed path is
// announced with a PathChosenEvent carrying the control's id.

#include <wx/event.h>
#include <wx/panel.h>
#include <wx/textctrl.h>

#include <functional>
#include <optional>

namespace app {

wxDECLARE_EVENT(PathChosenEvent, wxCommandEvent);

// What a chooser asks for and what it gave back.
struct PathChoiceRequest {
  wxWindow* parent = nullptr;
  wxString message;
  wxString startDirectory;
  wxString wildcard;  // file chooser only
  bool chooseDirectory = false;
};
struct PathChoice {
  wxString path;
  wxString directory;  // the chooser's directory when it was closed
};
// Shows the chooser; nothing when the user cancelled.
using PathChooser = std::function<std::optional<PathChoice>(const PathChoiceRequest&)>;

// The library's directory or file chooser, shown modally.
std::optional<PathChoice> ShowPathChooser(const PathChoiceRequest& request);

class PathEntryField : public wxPanel {
 public:
  static constexpr int kTextId = 1000;
  static constexpr int kBrowseId = 1001;

  PathEntryField(wxWindow* parent, int id, const wxString& caption, const wxString& initialPath,
                 const wxString& settingsKey, const wxString& dialogTitle, const wxString& wildcard,
                 bool chooseDirectory, bool rememberFile);

  wxString GetPath() const { return text_->GetValue(); }
  // Posts no event.
  void SetPath(const wxString& path) { text_->ChangeValue(path); }

  // Replaces the chooser the button opens (tests answer it without a window).
  void SetChooser(PathChooser chooser) { chooser_ = std::move(chooser); }

 private:
  class FileDrop;

  void OnEnter(wxCommandEvent& event);
  void OnBrowse(wxCommandEvent& event);
  void PostChosen();

  wxTextCtrl* text_ = nullptr;
  wxString settingsKey_;
  wxString dialogTitle_;
  wxString wildcard_;
  bool chooseDirectory_ = false;
  bool rememberFile_ = false;
  PathChooser chooser_ = ShowPathChooser;
};

}  // namespace app
