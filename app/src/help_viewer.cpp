#include "help_viewer.h"

#include <wx/filename.h>
#include <wx/filesys.h>
#include <wx/fs_arc.h>
#include <wx/html/helpctrl.h>
#include <wx/html/helpfrm.h>
#include <wx/html/helpwnd.h>
#include <wx/html/htmlwin.h>
#include <wx/intl.h>
#include <wx/log.h>

namespace app {

namespace {

std::unique_ptr<HelpViewer>& ProgramHelpSlot() {
  static std::unique_ptr<HelpViewer> help;
  return help;
}

// The book is a zip; the file system reads into it only through an archive handler.
void RegisterArchiveHandler() {
  static const bool registered = [] {
    wxFileSystem::AddHandler(new wxArchiveFSHandler);
    return true;
  }();
  (void)registered;
}

}  // namespace

HelpViewer::HelpViewer(wxString bookPath)
    : bookPath_(std::move(bookPath)), controller_(std::make_unique<wxHtmlHelpController>()) {
  RegisterArchiveHandler();
  // An open help window must not keep the program running once the main window is gone.
  controller_->SetShouldPreventAppExit(false);
  controller_->SetTitleFormat(_("KORAManage Help: %s"));
  // A damaged book means no help, as a missing one does, without a log window.
  const wxLogNull quiet;
  loaded_ = controller_->AddBook(wxFileName(bookPath_), false);
}

HelpViewer::~HelpViewer() {
  // Closing detaches the window from the controller before both go; destroying the window
  // from the controller's destructor would leave the window calling a deleted controller.
  if (wxFrame* frame = window()) frame->Close(true);
}

void HelpViewer::Show(const wxString& keyword) {
  if (!loaded_) return;
  if (keyword.empty()) {
    controller_->DisplayContents();
    return;
  }
  const wxHtmlHelpDataItems& index = controller_->GetHelpData()->GetIndexArray();
  for (size_t i = 0; i < index.size(); ++i) {
    if (index[i].name == keyword && controller_->Display(index[i].page)) return;
  }
  controller_->DisplayIndex();
}

wxFrame* HelpViewer::window() const {
  return controller_->GetFrame();
}

wxString HelpViewer::shownPage() const {
  const wxHtmlHelpWindow* help = controller_->GetHelpWindow();
  if (!help || !help->GetHtmlWindow()) return {};
  return help->GetHtmlWindow()->GetOpenedPage();
}

wxString HelpBookPath(const wxString& rootDir) {
  return rootDir + (rootDir.EndsWith("/") ? "" : "/") + "docs/kmhelp.htb";
}

HelpViewer* ProgramHelp() {
  return ProgramHelpSlot().get();
}

void SetProgramHelp(std::unique_ptr<HelpViewer> help) {
  ProgramHelpSlot() = std::move(help);
}

void ShowHelp(const wxString& keyword) {
  if (HelpViewer* help = ProgramHelp()) help->Show(keyword);
}

}  // namespace app
