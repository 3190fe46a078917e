#include "main_frame.h"

#include <wx/intl.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/statusbr.h>

#include <memory>

#include "about_text.h"
#include "program_identity.h"
#include "settings/settings_file.h"
#include "settings/settings_keys.h"
#include "trm.h"

namespace app {

MainFrame::MainFrame(const wxString& title)
    : wxFrame(nullptr, wxID_ANY, title, wxDefaultPosition,
              wxSize(kMainFrameWidth, kMainFrameHeight)) {
  BuildMenus();
  CreateStatusBar(1, wxSTB_DEFAULT_STYLE);
  // TODO(task panel): the task list, pages and destination row go here.
  RestoreGeometry();

  Bind(wxEVT_MENU, &MainFrame::OnExit, this, kIdExit);
  Bind(wxEVT_MENU, &MainFrame::OnHelp, this, kIdHelp);
  Bind(wxEVT_MENU, &MainFrame::OnAbout, this, kIdAbout);
  Bind(wxEVT_CLOSE_WINDOW, &MainFrame::OnClose, this);
}

void MainFrame::BuildMenus() {
  auto file = std::make_unique<wxMenu>();
  file->Append(kIdExit, _("E&xit\tAlt-X"), _("Quit"));

  auto options = std::make_unique<wxMenu>();
  options->Append(kIdChooseInterpreter, _("Tessel Compose..."),
                  _("Choose the Tessel Compose you would like to use"));
  options->Append(kIdPrinterGroups, _("Printer Groups..."),
                  _("Create printer groups to work with multiple printers"));
  // TODO(interpreter selection and printer groups dialogs): enable once they exist.
  options->Enable(kIdChooseInterpreter, false);
  options->Enable(kIdPrinterGroups, false);

  auto help = std::make_unique<wxMenu>();
  help->Append(kIdHelp, _("&Help\tF1"));
  help->AppendSeparator();
  help->Append(kIdAbout, wxString::Format(_("&About %s"), kTitle));

  auto bar = std::make_unique<wxMenuBar>();
  bar->Append(file.release(), _("&File"));
  bar->Append(options.release(), _("&Options"));
  bar->Append(help.release(), _("&Help"));
  SetMenuBar(bar.release());
}

void MainFrame::RestoreGeometry() {
  {
    const settings::SettingsFile file;
    bool maximized = false;
    if (settings::ReadBool(file, settings::kIsMaximized, maximized) && maximized) {
      Maximize();
    } else {
      long width = settings::kDefaultWidth;
      long height = settings::kDefaultHeight;
      if (settings::ReadLong(file, settings::kWidth, width) &&
          settings::ReadLong(file, settings::kHeight, height)) {
        SetSize(static_cast<int>(width), static_cast<int>(height));
      }
    }
  }
  Centre(wxBOTH);
  SetSizeHints(kMainFrameWidth, kMainFrameHeight);
}

void MainFrame::SaveSettings() {
  settings::SettingsFile file;
  // TODO(task panel): lastPrinter and statusPage are saved here too.
  settings::WriteBool(file, settings::kIsMaximized, IsMaximized());
  // The size is taken whatever the maximized state, as the window reports it.
  const wxSize size = GetSize();
  settings::WriteLong(file, settings::kWidth, size.GetWidth());
  settings::WriteLong(file, settings::kHeight, size.GetHeight());
}

void MainFrame::OnExit(wxCommandEvent&) {
  trmFinished();
  Close(true);
}

void MainFrame::OnHelp(wxCommandEvent&) {
  // TODO(help viewer): show the help book with an empty keyword; without a help object the
  // item does nothing, which is the behaviour until the help book exists.
}

void MainFrame::OnAbout(wxCommandEvent&) {
  wxMessageDialog box(this, AboutText(), wxString::Format(_("About %s"), kTitle));
  box.ShowModal();
}

void MainFrame::OnClose(wxCloseEvent&) {
  SaveSettings();
  trmFinished();
  Destroy();
}

}  // namespace app
