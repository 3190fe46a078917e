// The printer groups dialog against the private print server's queues and a private settings
// file: refusals, the keep-changes question, deletion, and what OK and Cancel keep.
#include "printer_groups_dialog.h"

#include <gtest/gtest.h>
#include <wx/textdlg.h>

#include <string>
#include <utility>

#include "app_fixture.h"
#include "dialog_recorder.h"
#include "settings/settings_file.h"
#include "settings/settings_keys.h"
#include "window_shot.h"

namespace app_test {
namespace {

using Dialog = app::PrinterGroupsDialog;
constexpr char kTwoGroups[] = "[printer-groups]\nfirst=km_ps_two\nsecond=\n";

void Add(Dialog& dialog, DialogRecorder& recorder, const std::string& typed) {
  recorder.AnswerWith([typed](wxDialog& ask) {
    dynamic_cast<wxTextEntryDialog&>(ask).SetValue(typed);
    return wxID_OK;
  });
  dialog.AddGroup();
}

void Press(Dialog& dialog, int id) {
  wxCommandEvent click(wxEVT_BUTTON, id);
  dialog.FindWindow(id)->GetEventHandler()->ProcessEvent(click);
}

void CheckPsOne(Dialog& dialog) {
  dialog.printers()->Check(static_cast<unsigned>(dialog.printers()->FindString("km_ps_one")));
}

std::string Stored(const std::string& key) {
  std::string value = "<none>";
  settings::ReadText(settings::SettingsFile(), key, value);
  return value;
}

using PrinterGroupsTest = AppTest;

TEST_F(PrinterGroupsTest, AddShowsEachRefusalWithItsMessage) {
  const std::string longest(32, 'g');
  const std::pair<std::string, std::string> cases[] = {
      // typed, refusal (empty: stored)
      {longest, ""},
      {longest + "g", "Please limit the printer group name to at most 32 characters."},
      {"a-b", "Printer group name may only contain underscore, and alphanumeric characters."},
      {"KM_PS_One", "Group name cannot be the same as a printer name.\n\nKM_PS_One"},
  };
  for (const auto& [typed, refusal] : cases) {
    Install(kTwoGroups);
    Dialog dialog(nullptr);
    DialogRecorder recorder;
    Add(dialog, recorder, typed);
    const auto& shown = recorder.shown();  // the name asked for, then any refusal
    EXPECT_EQ(shown.size() > 1 ? shown[1].message : "", refusal) << typed;
    EXPECT_EQ(Stored("/printer-groups/" + typed), refusal.empty() ? "" : "<none>") << typed;
  }
}

TEST_F(PrinterGroupsTest, LeavingChangedChecksAsksWhetherToKeepThem) {
  for (const auto& [answer, kept] :
       {std::pair{wxID_YES, "km_ps_one,km_ps_two"}, {wxID_NO, "km_ps_two"}}) {
    Install(kTwoGroups);
    Dialog dialog(nullptr);
    DialogRecorder recorder;
    recorder.AnswerMessagesWith(answer);
    CheckPsOne(dialog);
    dialog.ShowGroup("second");
    ASSERT_EQ(recorder.shown().size(), 1u);
    EXPECT_EQ(recorder.shown()[0].message,
              "Do you want to keep the changes made to the printer group.\n\nfirst");
    EXPECT_EQ(Stored("/printer-groups/first"), kept);
    dialog.ShowGroup("first");  // unchanged checks: no question
    EXPECT_EQ(recorder.shown().size(), 1u);
  }
}

TEST_F(PrinterGroupsTest, CheckAllEnablesApplyWhichSavesTheShownGroup) {
  Install(kTwoGroups);
  Dialog dialog(nullptr);
  const wxWindow* apply = dialog.FindWindow(wxID_APPLY);
  EXPECT_FALSE(apply->IsEnabled());
  Press(dialog, Dialog::kCheckAllId);
  EXPECT_TRUE(apply->IsEnabled());
  Press(dialog, wxID_APPLY);
  EXPECT_FALSE(apply->IsEnabled());
  std::string all;
  for (const wxString& printer : dialog.printers()->GetStrings()) {
    all += (all.empty() ? "" : ",") + printer.utf8_string();
  }
  EXPECT_EQ(Stored("/printer-groups/first"), all);
}

TEST_F(PrinterGroupsTest, DeletingTheLastGroupDisablesTheChecks) {
  Install("[printer-groups]\nonly=km_ps_one\n");
  Dialog dialog(nullptr);
  DialogRecorder recorder;
  dialog.DeleteGroup();
  EXPECT_EQ(recorder.shown().at(0).message,
            "Are you sure you want to delete the selected printer group?\n\nonly");
  EXPECT_EQ(Stored("/printer-groups/only"), "<none>");
  for (const int id : {Dialog::kPrintersId, Dialog::kCheckAllId, Dialog::kUncheckAllId}) {
    EXPECT_FALSE(dialog.FindWindow(id)->IsEnabled()) << id;
  }
}

TEST_F(PrinterGroupsTest, OkStoresGroupsMembersAndSizeAndCancelKeepsAddedGroups) {
  Install(kTwoGroups);
  DialogRecorder recorder;
  wxSize size;
  {
    Dialog dialog(nullptr);
    EXPECT_TRUE(SaveScreenshot(dialog, "printer_groups_dialog"));
    Add(dialog, recorder, "extra");
    CheckPsOne(dialog);
    size = dialog.GetMinSize() + wxSize(90, 70);
    dialog.SetSize(size);
    Press(dialog, wxID_OK);
  }
  EXPECT_EQ(Stored("pg"), "first,second,extra");
  EXPECT_EQ(Stored("/printer-groups/extra"), "km_ps_one");
  Dialog dialog(nullptr);
  EXPECT_EQ(dialog.GetSize(), size);
  Add(dialog, recorder, "later");
  CheckPsOne(dialog);
  Press(dialog, wxID_CANCEL);
  EXPECT_EQ(Stored("/printer-groups/later"), "");  // kept, without the unsaved check
}

}  // namespace
}  // namespace app_test
