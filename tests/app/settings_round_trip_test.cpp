// One settings file shared by the window and kmjob: what either writes, the other reads.
#include <gtest/gtest.h>
#include <wx/textdlg.h>

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

using SettingsRoundTripTest = AppTest;

TEST_F(SettingsRoundTripTest, WhatTheWindowStoresKmjobReads) {
  Install("[printer-groups]\nday=km_ps_one\n");
  auto* frame = new app::MainFrame("Tidewell KORAManage");
  // "Printer Groups...": a group with one member applied, then the dialog cancelled.
  DialogRecorder dialogs;
  dialogs.AnswerWith([](wxDialog& dialog) {
    if (auto* ask = dynamic_cast<wxTextEntryDialog*>(&dialog)) {
      ask->SetValue("evening");
      return static_cast<int>(wxID_OK);
    }
    auto& groups = dynamic_cast<app::PrinterGroupsDialog&>(dialog);
    groups.AddGroup();
    groups.printers()->Check(static_cast<unsigned>(groups.printers()->FindString("km_ps_two")));
    groups.SaveShownGroup();
    return static_cast<int>(wxID_CANCEL);
  });
  wxCommandEvent menu(wxEVT_MENU, app::kIdPrinterGroups);
  frame->ProcessWindowEvent(menu);
  // The list was rebuilt: the new group is offered at once.
  ASSERT_TRUE(frame->taskPanel()->destination()->SetStringSelection("\\\\\\evening"));
  frame->SetSize(700, 800);
  EXPECT_TRUE(SaveScreenshot(*frame, "main_window"));
  frame->Close(true);
  const std::string saved = Installed();
  for (const char* line : {"lastPrinter=evening\n", "width=700\n", "height=800\n"}) {
    EXPECT_NE(saved.find(line), std::string::npos) << line << saved;
  }
  const auto groups = Kmjob({"group", "list"});
  EXPECT_EQ(groups.out, "day: km_ps_one\nevening: km_ps_two\n") << groups.err;
}

TEST_F(SettingsRoundTripTest, WhatKmjobStoresTheWindowOffers) {
  Install("lastPrinter=spare\n");
  for (const char* group : {"night", "spare"}) {
    const auto added = Kmjob({"group", "add", group});
    EXPECT_EQ(added.status, 0) << added.err;
  }
  const app::TaskPanel& panel = *(new app::MainFrame("Tidewell KORAManage"))->taskPanel();
  EXPECT_NE(panel.destination()->FindString("\\\\\\night", true), wxNOT_FOUND);
  EXPECT_EQ(panel.GetDestination(), "\\\\\\spare");  // not the first offered
}

}  // namespace
}  // namespace app_test
