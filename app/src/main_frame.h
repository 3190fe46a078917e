#pragma once
// The program's only top-level window: menus, status bar, and the geometry kept between runs.

#include <wx/frame.h>

#include "task_panel.h"

namespace app {

// Fixed command identifiers of the main window.
enum MainFrameId {
  kIdExit = 100,
  kIdChooseInterpreter = 101,
  kIdPrinterGroups = 102,
  kIdAbout = 103,
  kIdHelp = 104,
};

inline constexpr int kMainFrameWidth = 620;
inline constexpr int kMainFrameHeight = 732;

class MainFrame : public wxFrame {
 public:
  // Built but not shown.
  explicit MainFrame(const wxString& title);

  TaskPanel* taskPanel() const { return taskPanel_; }

 private:
  void BuildMenus();
  void RestoreGeometry();
  void SaveSettings();

  void ShowDestinationError();

  void OnExit(wxCommandEvent& event);
  void OnChooseInterpreter(wxCommandEvent& event);
  void OnPrinterGroups(wxCommandEvent& event);
  void OnHelp(wxCommandEvent& event);
  void OnAbout(wxCommandEvent& event);
  void OnClose(wxCloseEvent& event);

  TaskPanel* taskPanel_ = nullptr;
};

}  // namespace app
