// One settings file shared by the window and kmjob: what either writes, the other reads.
#include <gtest/gtest.h>
#include <wx/arrstr.h>
#include <wx/textdlg.h>

#include <algorithm>
#include <sstream>
#include <string>
#include <vector>

#include "app_fixture.h"
#include "dialog_recorder.h"
#include "main_frame.h"
#include "printer_groups_dialog.h"
#include "process.h"
#include "window_shot.h"

namespace app_test {
namespace {

// kmjob on the standard settings file, which the fixture's environment points at ours.
km_test::ProcessResult Kmjob(const std::vector<std::string>& arguments) {
  return km_test::RunProgram(KM_KMJOB, arguments);
}

// Lines in sorted order: the choice sorts by the user's locale, kmjob prints in list order.
std::vector<std::string> SortedLines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  std::sort(lines.begin(), lines.end());
  return lines;
}

using SettingsRoundTripTest = AppTest;

TEST_F(SettingsRoundTripTest, WhatTheWindowStoresKmjobReads) {
  Install("kmRootDir=/opt/kora\nuseBuiltin=1\n[printer-groups]\nday=km_ps_one\n");
  auto* frame = new app::MainFrame("Tidewell KORAManage");
  app::TaskPanel& panel = *frame->taskPanel();
  ASSERT_EQ(panel.destination()->FindString("\\\\\\evening"), wxNOT_FOUND);
  // A group with one member made through the dialog, which is then cancelled.
  DialogRecorder dialogs;
  dialogs.AnswerWith([](wxDialog& dialog) {
    if (auto* ask = dynamic_cast<wxTextEntryDialog*>(&dialog)) {
      ask->SetValue("evening");
      return static_cast<int>(wxID_OK);
    }
    auto& groups = dynamic_cast<app::PrinterGroupsDialog&>(dialog);
    groups.AddGroup();
    groups.printers()->Check(
        static_cast<unsigned>(groups.printers()->FindString("km_ps_two", true)));
    groups.SaveShownGroup();
    return static_cast<int>(wxID_CANCEL);
  });
  wxCommandEvent menu(wxEVT_MENU, app::kIdPrinterGroups);
  frame->ProcessWindowEvent(menu);
  // The list was rebuilt: the new group is offered at once.
  ASSERT_TRUE(panel.destination()->SetStringSelection("\\\\\\evening"));
  const std::vector<std::string> shown =
      SortedLines(wxJoin(panel.destination()->GetStrings(), '\n', 0).utf8_string());
  panel.SelectTask(1);
  frame->SetSize(700, 800);
  EXPECT_TRUE(SaveScreenshot(*frame, "main_window"));
  frame->Close(true);
  wxTheApp->ProcessIdle();

  const std::string saved = Installed();
  for (const char* line : {"kmRootDir=/opt/kora", "lastPrinter=evening", "width=700", "height=800",
                           "isMaximized=0", "statusPage=0"}) {
    EXPECT_NE(saved.find(std::string(line) + "\n"), std::string::npos) << line << "\n" << saved;
  }
  const auto groups = Kmjob({"group", "list"});
  EXPECT_EQ(groups.out, "day: km_ps_one\nevening: km_ps_two\n") << groups.err;
  // kmjob offers the destinations the window showed.
  const auto listed = Kmjob({"printers"});
  EXPECT_EQ(listed.status, 0) << listed.err;
  EXPECT_EQ(SortedLines(listed.out), shown);
}

TEST_F(SettingsRoundTripTest, WhatKmjobStoresTheWindowOffers) {
  Install("useBuiltin=1\nlastPrinter=night\nstatusPage=1\n");
  const std::vector<std::vector<std::string>> commands = {
      {"group", "add", "night"},
      {"group", "set", "night", "km_ps_one", "km_passthrough"},
      {"group", "add", "spare"},
  };
  for (const auto& command : commands) {
    const auto result = Kmjob(command);
    EXPECT_EQ(result.status, 0) << command[1] << ": " << result.err;
  }
  auto* frame = new app::MainFrame("Tidewell KORAManage");
  const app::TaskPanel& panel = *frame->taskPanel();
  EXPECT_NE(panel.destination()->FindString("\\\\\\spare", true), wxNOT_FOUND);
  EXPECT_EQ(panel.GetDestination(), "\\\\\\night");
  EXPECT_TRUE(panel.GetStatusPage());
  frame->Destroy();
}

}  // namespace
}  // namespace app_test
