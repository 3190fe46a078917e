#include "task_panel.h"

#include <wx/intl.h>
#include <wx/stattext.h>

#include "app_art.h"
#include "destination_choice.h"
#include "help_viewer.h"
#include "printing/destinations.h"
#include "program_identity.h"
#include "settings/settings_file.h"
#include "settings/settings_keys.h"
#include "task_page.h"

namespace app {
namespace {

constexpr int kPageBorder = 8;
constexpr int kTaskListWidth = 200;

}  // namespace

const std::array<TaskInfo, kTaskCount>& Tasks() {
  static const std::array<TaskInfo, kTaskCount> tasks = {{
      {wxTRANSLATE("Install Tessel Compose"), "IDI_INSTALL", "Install Tessel Compose",
       wxTRANSLATE("Information about installing Tessel Compose.")},
      {wxTRANSLATE("Load Project Resources"), "IDI_LOAD", "Load Project Resources",
       wxTRANSLATE("Information about loading project resources.")},
      {wxTRANSLATE("Send Container"), "IDI_PRINT", "Send Container",
       wxTRANSLATE("Information about sending self-contained data stream.")},
      {wxTRANSLATE("Delete Files"), "IDI_REMOVE", "Delete Files",
       wxTRANSLATE("Information about deleting Tessel files.")},
      {wxTRANSLATE("List Printer Files"), "IDI_LIST", "List Printer Files",
       wxTRANSLATE("Information about listing Tessel resources.")},
      {wxTRANSLATE("Manage Legacy Files"), "IDI_LEGACY", "Manage Legacy Files",
       wxTRANSLATE("Information about managing legacy resources.")},
      {wxTRANSLATE("Load PS Fonts"), "IDI_FONT", "Load PostScript Fonts",
       wxTRANSLATE("Information about loading PS fonts.")},
  }};
  return tasks;
}

TaskPanel::TaskPanel(wxWindow* parent) : wxPanel(parent, wxID_ANY) {
  taskList_ = new wxListCtrl(this, wxID_ANY, wxDefaultPosition, wxSize(kTaskListWidth, -1),
                             wxLC_REPORT | wxLC_NO_HEADER | wxLC_SINGLE_SEL);
  taskList_->AssignImageList(TaskImages().release(), wxIMAGE_LIST_SMALL);
  taskList_->InsertColumn(0, wxString());
  for (int i = 0; i < kTaskCount; ++i) {
    taskList_->InsertItem(i, wxGetTranslation(Tasks()[i].label), i);
  }

  pageArea_ = new wxBoxSizer(wxVERTICAL);
  for (int i = 0; i < kTaskCount; ++i) pages_[i] = CreateTaskPage(this, i);

  destination_ =
      new wxChoice(this, kDestinationId, wxDefaultPosition, wxDefaultSize, 0, nullptr, wxCB_SORT);
  statusPage_ = new wxCheckBox(this, wxID_ANY, _("Print status page."));
  statusPage_->SetToolTip(
      _("Prints a list of the files added/removed by the current operation (if applicable)."));

  auto* tasksAndPage = new wxBoxSizer(wxHORIZONTAL);
  tasksAndPage->Add(taskList_, 0, wxEXPAND);
  tasksAndPage->Add(pageArea_, 1, wxEXPAND);

  auto* destinationRow = new wxBoxSizer(wxHORIZONTAL);
  destinationRow->Add(new wxStaticText(this, wxID_ANY, _("Destination:")), 0,
                      wxALIGN_CENTER_VERTICAL | wxRIGHT, 4);
  destinationRow->Add(destination_, 1, wxALIGN_CENTER_VERTICAL | wxRIGHT, 8);
  destinationRow->Add(statusPage_, 0, wxALIGN_CENTER_VERTICAL);

  auto* column = new wxBoxSizer(wxVERTICAL);
  column->Add(tasksAndPage, 1, wxEXPAND);
  column->Add(destinationRow, 0, wxEXPAND | wxALL, kPageBorder);
  SetSizer(column);

  Bind(wxEVT_LIST_ITEM_SELECTED, &TaskPanel::OnTaskSelected, this, taskList_->GetId());
  Bind(wxEVT_SIZE, &TaskPanel::OnSize, this);
  Bind(
      wxEVT_BUTTON, [this](wxCommandEvent&) { ShowTaskHelp(); }, kTaskHelpId);

  ShowPage(0);
  taskList_->SetItemState(0, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                          wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
  RestoreChoices();
}

std::string TaskPanel::GetDestination() const {
  return destination_->GetStringSelection().utf8_string();
}

std::string TaskPanel::GetStatusLabel() const {
  return printing::GroupNameOf(GetDestination());
}

void TaskPanel::SelectTask(int index) {
  if (index < 0 || index >= kTaskCount) return;
  taskList_->SetItemState(index, wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED,
                          wxLIST_STATE_SELECTED | wxLIST_STATE_FOCUSED);
  // Whether setting the state notifies differs between list implementations.
  if (currentTask_ != index || !pages_[index]->IsShown()) ShowPage(index);
}

void TaskPanel::ShowTaskHelp() {
  ShowHelp(wxString::FromUTF8(Tasks()[currentTask_].helpKeyword));
}

bool TaskPanel::SaveChoices(wxConfigBase& settings) const {
  bool taken = true;
  if (destination_->GetSelection() != wxNOT_FOUND &&
      destination_->GetStringSelection() != NoPrintersText()) {
    taken = settings::WriteText(settings, settings::kLastPrinter, GetStatusLabel());
  }
  return settings::WriteBool(settings, settings::kStatusPage, statusPage_->GetValue()) && taken;
}

void TaskPanel::RefreshDestinations() {
  destinationError_ = RefreshDestinationList(*destination_);
}

void TaskPanel::ShowPage(int index) {
  for (wxWindow* page : pages_) page->Hide();
  pageArea_->Clear(false);
  pageArea_->Add(pages_[index], 1, wxEXPAND | wxALL, kPageBorder);
  pages_[index]->Show();
  currentTask_ = index;
  Layout();
  FitTaskColumn();
}

void TaskPanel::OnTaskSelected(wxListEvent& event) {
  const long index = event.GetIndex();
  if (index >= 0 && index < kTaskCount) ShowPage(static_cast<int>(index));
}

void TaskPanel::OnSize(wxSizeEvent& event) {
  event.Skip();
  Layout();
  FitTaskColumn();
}

void TaskPanel::FitTaskColumn() {
  taskList_->SetColumnWidth(0, taskList_->GetClientSize().GetWidth());
}

void TaskPanel::RestoreChoices() {
  RefreshDestinations();
  const settings::SettingsFile file;
  std::string last;
  if (settings::ReadText(file, settings::kLastPrinter, last)) {
    SelectDestination(*destination_, wxString::FromUTF8(last));
  }
  bool statusPage = false;
  settings::ReadBool(file, settings::kStatusPage, statusPage);
  statusPage_->SetValue(statusPage);
}

}  // namespace app
