#pragma once
// The program's start-up, in its fixed order: one instance per user, the settings file, the
// working directory, the main window, the interpreter choice, the job generator, the help.

#include <wx/defs.h>
#include <wx/snglinst.h>
#include <wx/string.h>
#include <wx/weakref.h>

#include <memory>
#include <string>

#include "main_frame.h"

namespace app {

enum class StartOutcome {
  kRunning,          // main window shown, generator started
  kAnotherInstance,  // ends at once with exit code 0, nothing shown
  kNoSettingsFile,   // the failure message was shown
  kNoInterpreter,    // no interpreter chosen: main window closed, generator not started
};

class ProgramStart {
 public:
  // instanceFolder: where the instance lock file lies; empty for the home folder.
  explicit ProgramStart(std::string instanceFolder = {});
  ~ProgramStart();
  ProgramStart(const ProgramStart&) = delete;
  ProgramStart& operator=(const ProgramStart&) = delete;

  StartOutcome Run();

  // The message catalogue "koramanage" of the user's language, looked up beside the program
  // (programPath): in share/locale of its installation, or in the locale folder of the build.
  // Does nothing when translations are already set up.
  static void SetUpTranslations(const wxString& programPath);

  // The main window while it exists (the window system owns it); null once it is gone.
  MainFrame* frame() const { return frame_.get(); }

 private:
  bool IsAnotherInstanceRunning();
  static void EnterWorkingDirectory();
  void InstallHelp();

  std::string instanceFolder_;
  std::unique_ptr<wxSingleInstanceChecker> instance_;
  wxWeakRef<MainFrame> frame_;
  bool helpInstalled_ = false;
};

}  // namespace app
