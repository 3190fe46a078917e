#include "main_frame.h"

#include <wx/intl.h>
#include <wx/log.h>
#include <wx/menu.h>
#include <wx/msgdlg.h>
#include <wx/statusbr.h>

#include <memory>

#include "about_text.h"
#include "app_art.h"
#include "help_viewer.h"
#include "interpreter_selection_dialog.h"
#include "printer_groups_dialog.h"
#include "program_identity.h"
#include "settings/settings_file.h"
#include "settings/settings_keys.h"
#include "trm.h"

namespace app {

MainFrame::MainFrame(const wxString& title)
    : wxFrame(nullptr, wxID_ANY, title, wxDefaultPosition,
              wxSize(kMainFrameWidth, kMainFrameHeight)) {
  SetIcon(ProgramIcon());
  BuildMenus();
  CreateStatusBar(1, wxSTB_DEFAULT_STYLE);
  taskPanel_ = new TaskPanel(this);
  ShowDestinationError();
  RestoreGeometry();

  Bind(wxEVT_MENU, &MainFrame::OnExit, this, kIdExit);
  Bind(wxEVT_MENU, &MainFrame::OnChooseInterpreter, this, kIdChooseInterpreter);
  Bind(wxEVT_MENU, &MainFrame::OnPrinterGroups, this, kIdPrinterGroups);
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
  bool taken = taskPanel_->SaveChoices(file);
  taken = settings::WriteBool(file, settings::kIsMaximized, IsMaximized()) && taken;
  // The size is taken whatever the maximized state, as the window reports it.
  const wxSize size = GetSize();
  taken = settings::WriteLong(file, settings::kWidth, size.GetWidth()) && taken;
  taken = settings::WriteLong(file, settings::kHeight, size.GetHeight()) && taken;
  if (!file.Flush()) {
    wxLogError(_("The window settings could not be saved: %s"),
               wxString::FromUTF8(file.lastError()));
  } else if (!taken) {
    wxLogError(_("Some window settings could not be saved in %s."),
               wxString::FromUTF8(file.path()));
  }
}

// Without this line a server that cannot be asked would look like a server without printers.
void MainFrame::ShowDestinationError() {
  const std::string& error = taskPanel_->destinationError();
  if (!error.empty()) {
    SetStatusText(wxString::Format(_("No printers listed: %s"), wxString::FromUTF8(error)));
  }
}

void MainFrame::OnExit(wxCommandEvent&) {
  trmFinished();
  Close(true);
}

void MainFrame::OnChooseInterpreter(wxCommandEvent&) {
  ShowInterpreterSelection(this);
}

void MainFrame::OnPrinterGroups(wxCommandEvent&) {
  ShowPrinterGroups(this);
  // Whatever closed the dialog, groups may have been applied before.
  taskPanel_->RefreshDestinations();
  ShowDestinationError();
}

void MainFrame::OnHelp(wxCommandEvent&) {
  ShowHelp(wxString());
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
