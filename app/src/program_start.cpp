#include "program_start.h"

#include <wx/filefn.h>
#include <wx/intl.h>
#include <wx/msgdlg.h>

#include "interpreter_selection_dialog.h"
#include "main_frame.h"
#include "program_identity.h"
#include "settings/settings_file.h"
#include "settings/settings_keys.h"
#include "trm.h"

namespace app {

ProgramStart::ProgramStart(std::string instanceFolder)
    : instanceFolder_(std::move(instanceFolder)) {}

ProgramStart::~ProgramStart() = default;

bool ProgramStart::IsAnotherInstanceRunning() {
  instance_ = std::make_unique<wxSingleInstanceChecker>();
  // A checker that cannot make its lock file marks nothing; the program then runs unguarded.
  if (!instance_->Create(kInstanceMutexName, instanceFolder_)) {
    instance_.reset();
    return false;
  }
  if (!instance_->IsAnotherRunning()) return false;
  instance_.reset();
  return true;
}

void ProgramStart::EnterWorkingDirectory() {
  const settings::SettingsFile file;
  std::string rootDir;
  if (settings::ReadText(file, settings::kKmRootDir, rootDir) && !rootDir.empty() &&
      wxDirExists(wxString::FromUTF8(rootDir))) {
    wxSetWorkingDirectory(wxString::FromUTF8(rootDir));
  }
}

StartOutcome ProgramStart::Run() {
  const bool another = IsAnotherInstanceRunning();
  KeepNoPrintersText();
  if (another) return StartOutcome::kAnotherInstance;

  {
    const settings::SettingsFile file;
    if (!file.found()) {
      wxMessageBox(wxString::Format(
                       _("The configuration file '%s' was not found.\n\nPlease re-install the %s "
                         "application."),
                       wxString::FromUTF8(file.path()), kTitle),
                   _("Initialization Failure"), wxOK | wxICON_ERROR | wxCENTRE);
      return StartOutcome::kNoSettingsFile;
    }
  }

  EnterWorkingDirectory();
  frame_ = new MainFrame(kTitle);

  bool choiceComplete = false;
  {
    const settings::SettingsFile file;
    choiceComplete = settings::IsInterpreterChoiceComplete(file);
  }
  if (!choiceComplete && !ShowInterpreterSelection(frame_.get())) {
    frame_->Close(true);
    return StartOutcome::kNoInterpreter;
  }

  trmInitialize();
  frame_->Show();
  // TODO(help viewer): create the help object from kmRootDir when its help book exists.
  return StartOutcome::kRunning;
}

}  // namespace app
