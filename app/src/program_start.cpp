#include "program_start.h"

#include <wx/filefn.h>
#include <wx/filename.h>
#include <wx/intl.h>
#include <wx/msgdlg.h>
#include <wx/stdpaths.h>
#include <wx/translation.h>

#include "help_viewer.h"
#include "interpreter_selection_dialog.h"
#include "main_frame.h"
#include "program_identity.h"
#include "settings/settings_file.h"
#include "settings/settings_keys.h"
#include "trm.h"

namespace app {

namespace {
constexpr char kCatalogName[] = "koramanage";
}  // namespace

ProgramStart::ProgramStart(std::string instanceFolder)
    : instanceFolder_(std::move(instanceFolder)) {}

ProgramStart::~ProgramStart() {
  if (helpInstalled_) SetProgramHelp(nullptr);
}

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

void ProgramStart::SetUpTranslations(const wxString& programPath) {
  if (wxTranslations::Get()) return;
  // wxTranslations reads the catalogue itself and needs no generated system locale, unlike
  // wxLocale; the catalogues are the program's own, not the system's.
  const wxFileName program(programPath);
  wxFileName prefix = wxFileName::DirName(program.GetPath());
  prefix.RemoveLastDir();
  prefix.AppendDir("locale");
  wxFileTranslationsLoader::AddCatalogLookupPathPrefix(prefix.GetPath());
  prefix.RemoveLastDir();
  prefix.AppendDir("share");
  prefix.AppendDir("locale");
  wxFileTranslationsLoader::AddCatalogLookupPathPrefix(prefix.GetPath());
  auto translations = std::make_unique<wxTranslations>();
  translations->AddStdCatalog();
  translations->AddCatalog(kCatalogName);
  wxTranslations::Set(translations.release());
}

void ProgramStart::EnterWorkingDirectory() {
  const settings::SettingsFile file;
  std::string rootDir;
  if (settings::ReadText(file, settings::kKmRootDir, rootDir) && !rootDir.empty() &&
      wxDirExists(wxString::FromUTF8(rootDir))) {
    wxSetWorkingDirectory(wxString::FromUTF8(rootDir));
  }
}

void ProgramStart::InstallHelp() {
  const settings::SettingsFile file;
  std::string rootDir;
  if (!settings::ReadText(file, settings::kKmRootDir, rootDir)) return;
  const wxString book = HelpBookPath(wxString::FromUTF8(rootDir));
  if (!wxFileExists(book)) return;
  auto help = std::make_unique<HelpViewer>(book);
  if (!help->loaded()) return;
  SetProgramHelp(std::move(help));
  helpInstalled_ = true;
}

StartOutcome ProgramStart::Run() {
  SetUpTranslations(wxStandardPaths::Get().GetExecutablePath());
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
    InstallHelp();
    return StartOutcome::kNoInterpreter;
  }

  trmInitialize();
  frame_->Show();
  InstallHelp();
  return StartOutcome::kRunning;
}

}  // namespace app
