#pragma once
// Records which interpreter the workstation works with: the built-in image with a stub file,
// or a local installation directory.

#include <wx/checkbox.h>
#include <wx/dialog.h>
#include <wx/radiobut.h>

#include "path_entry_field.h"

namespace app {

class InterpreterSelectionDialog : public wxDialog {
 public:
  static constexpr int kLocalId = 400;
  static constexpr int kBuiltinId = 401;
  static constexpr int kCoreFieldId = 402;
  static constexpr int kStubFieldId = 403;
  static constexpr int kEditStubId = 404;
  static constexpr int kOkId = 405;

  explicit InterpreterSelectionDialog(wxWindow* parent);

 private:
  void OnEditStub(wxCommandEvent& event);
  void OnOk(wxCommandEvent& event);

  wxRadioButton* local_ = nullptr;
  wxRadioButton* builtin_ = nullptr;
  PathEntryField* core_ = nullptr;
  PathEntryField* stub_ = nullptr;
  wxCheckBox* lumen_ = nullptr;
};

// Shows the dialog modally; true when the user left it with OK (the choice is then stored).
bool ShowInterpreterSelection(wxWindow* parent);

}  // namespace app
