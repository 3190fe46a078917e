// The printer groups dialog against the private print server's queues and a private settings
// file: naming rules, the keep-changes question, enabling, deletion, and what OK and Cancel keep.
#include "printer_groups_dialog.h"

#include <gtest/gtest.h>
#include <wx/textdlg.h>

#include <string>

#include "app_fixture.h"
#include "dialog_recorder.h"
#include "printing/destinations.h"
#include "printing/printer_list.h"
#include "settings/settings_file.h"
#include "settings/settings_keys.h"
#include "window_shot.h"

namespace app_test {
namespace {

using Dialog = app::PrinterGroupsDialog;
constexpr char kTwoGroups[] = "[printer-groups]\nfirst=km_ps_two,km_gone\nsecond=\n";

class PrinterGroupsTest : public AppTest {
 protected:
  // What a click on the control, or on an item of a list, sends.
  static void Click(Dialog& dialog, int id, wxEventType type = wxEVT_BUTTON, int item = 0) {
    wxCommandEvent event(type, id);
    event.SetInt(item);
    if (type == wxEVT_CHOICE) event.SetString(dialog.groups()->GetString(item));
    if (type == wxEVT_CHECKLISTBOX)
      dialog.printers()->Check(item, !dialog.printers()->IsChecked(item));
    dialog.FindWindow(id)->GetEventHandler()->ProcessEvent(event);
  }
  static void Add(Dialog& dialog, DialogRecorder& recorder, const std::string& typed) {
    recorder.AnswerWith([typed](wxDialog& ask) {
      dynamic_cast<wxTextEntryDialog&>(ask).SetValue(typed);
      return wxID_OK;
    });
    dialog.AddGroup();
  }
  // The checked printers as a group stores them.
  static std::string Checked(const Dialog& dialog) {
    wxArrayInt items;
    dialog.printers()->GetCheckedItems(items);
    std::string names;
    for (int i : items) names += (names.empty() ? "" : ",") + dialog.printers()->GetString(i);
    return names;
  }
  static std::string Stored(const std::string& key) {
    std::string value = "<none>";
    settings::ReadText(settings::SettingsFile(), key, value);
    return value;
  }
  static void TogglePsOne(Dialog& dialog) {
    Click(dialog, Dialog::kPrintersId, wxEVT_CHECKLISTBOX,
          dialog.printers()->FindString("km_ps_one"));
  }
  static bool Enabled(Dialog& dialog, int id) { return dialog.FindWindow(id)->IsEnabled(); }
};

TEST_F(PrinterGroupsTest, ShowsTheFirstGroupAndItsChecksEnableApplyWhichSaves) {
  Install(kTwoGroups);
  Dialog dialog(nullptr);
  EXPECT_EQ(dialog.GetTitle(), "Printer Groups");
  EXPECT_EQ(dialog.groups()->GetCount(), 2u);
  EXPECT_EQ(dialog.shownGroup(), "first");
  EXPECT_EQ(Checked(dialog), "km_ps_two");  // km_gone is not listed
  EXPECT_FALSE(Enabled(dialog, wxID_APPLY));
  EXPECT_TRUE(SaveScreenshot(dialog, "printer_groups_dialog"));

  std::string all;
  for (const std::string& printer : printing::ListPostScriptPrinters()) all += "," + printer;
  for (const auto& [id, checked] :
       {std::pair{Dialog::kCheckAllId, all.substr(1)}, {Dialog::kUncheckAllId, ""}}) {
    Click(dialog, id);
    EXPECT_EQ(Checked(dialog), checked);
    EXPECT_TRUE(Enabled(dialog, wxID_APPLY));
    Click(dialog, wxID_APPLY);
    EXPECT_FALSE(Enabled(dialog, wxID_APPLY));
    EXPECT_EQ(Stored("/printer-groups/first"), checked);
  }
  TogglePsOne(dialog);
  EXPECT_TRUE(Enabled(dialog, wxID_APPLY));
}

TEST_F(PrinterGroupsTest, AddRefusesBrokenNamesWithTheirMessageAndStoresGoodOnesEmpty) {
  const std::string longest(32, 'g');
  const char* const badCharacter =
      "Printer group name may only contain underscore, and alphanumeric characters.";
  const struct {
    std::string typed, stored, message;  // stored empty: refused
  } cases[] = {
      {longest, longest, ""},
      {longest + "g", "", "Please limit the printer group name to at most 32 characters."},
      {"night \t ", "night", ""},
      {" lead", "", badCharacter},
      {"a-b", "", badCharacter},
      {"KM_PS_One", "", "Group name cannot be the same as a printer name.\n\nKM_PS_One"},
      {"FIRST", "", "The group already exists.\n\nFIRST"},
      {"   ", "", ""},
  };
  for (const auto& c : cases) {
    Install(kTwoGroups);
    Dialog dialog(nullptr);
    DialogRecorder recorder;
    Add(dialog, recorder, c.typed);
    EXPECT_EQ(recorder.shown().at(0).caption, "Add Group");
    const ShownDialog refusal = recorder.shown().size() > 1 ? recorder.shown()[1] : ShownDialog{};
    EXPECT_EQ(refusal.message, c.message) << c.typed;
    EXPECT_EQ(refusal.style & wxICON_ERROR, c.message.empty() ? 0 : wxICON_ERROR);
    EXPECT_EQ(dialog.groups()->GetCount(), c.stored.empty() ? 2u : 3u) << c.typed;
    if (c.stored.empty()) {
      EXPECT_EQ(Installed(), kTwoGroups);
      continue;
    }
    EXPECT_EQ(dialog.shownGroup(), c.stored);
    EXPECT_EQ(Checked(dialog), "");
    EXPECT_EQ(Stored("/printer-groups/" + c.stored), "");
  }
}

TEST_F(PrinterGroupsTest, SwitchingAwayFromChangedChecksAsksToKeepThem) {
  const std::pair<int, const char*> answers[] = {{wxID_YES, "km_ps_one,km_ps_two"},
                                                 {wxID_NO, "km_ps_two,km_gone"}};
  for (const auto& [answer, stored] : answers) {
    Install(kTwoGroups);
    Dialog dialog(nullptr);
    DialogRecorder recorder;
    recorder.AnswerMessagesWith(answer);
    TogglePsOne(dialog);
    dialog.ShowGroup("FIRST");  // the shown group in other letter case: nothing happens
    EXPECT_TRUE(recorder.shown().empty());
    Click(dialog, Dialog::kGroupsId, wxEVT_CHOICE, 1);
    ASSERT_EQ(recorder.shown().size(), 1u);
    EXPECT_EQ(recorder.shown()[0].message,
              "Do you want to keep the changes made to the printer group.\n\nfirst");
    EXPECT_EQ(recorder.shown()[0].caption, "KORAManage");
    EXPECT_EQ(recorder.shown()[0].style & (wxYES_NO | wxICON_QUESTION), wxYES_NO | wxICON_QUESTION);
    EXPECT_EQ(Stored("/printer-groups/first"), stored);
    EXPECT_EQ(dialog.shownGroup(), "second");
    // Unchanged checks are left without a question, though a member is not listed.
    Click(dialog, Dialog::kGroupsId, wxEVT_CHOICE, 0);
    EXPECT_EQ(recorder.shown().size(), 1u);
  }
}

TEST_F(PrinterGroupsTest, DeleteAsksFirstAndTheLastGroupLeavesTheChecksDisabled) {
  Install(kTwoGroups);
  Dialog dialog(nullptr);
  DialogRecorder recorder;
  TogglePsOne(dialog);  // not offered once deleted
  const std::pair<int, const char*> steps[] = {
      {wxID_CANCEL, "first"}, {wxID_OK, "first"}, {wxID_OK, "second"}};
  for (const auto& [answer, group] : steps) {
    recorder.AnswerMessagesWith(answer);
    dialog.DeleteGroup();
    EXPECT_EQ(
        recorder.shown().back().message,
        std::string("Are you sure you want to delete the selected printer group?\n\n") + group);
    EXPECT_EQ(recorder.shown().back().style & (wxOK | wxCANCEL), wxOK | wxCANCEL);
  }
  EXPECT_EQ(recorder.shown().size(), 3u);
  EXPECT_TRUE(dialog.groups()->IsEmpty());
  EXPECT_EQ(Checked(dialog), "");
  EXPECT_EQ(printing::DestinationList(), printing::ListPostScriptPrinters());
  Dialog empty(nullptr);
  for (Dialog* shown : {&dialog, &empty}) {
    for (const int id : {int{Dialog::kPrintersId}, int{Dialog::kCheckAllId},
                         int{Dialog::kUncheckAllId}, int{wxID_APPLY}}) {
      EXPECT_FALSE(Enabled(*shown, id)) << id;
    }
  }
  // A group already gone from the file cannot be removed again.
  Install(kTwoGroups);
  Dialog gone(nullptr);
  Install("[printer-groups]\nsecond=\n");
  gone.DeleteGroup();
  EXPECT_EQ(recorder.shown().back().message, "Problem removing the selected group.\n\nfirst");
  EXPECT_EQ(gone.groups()->GetCount(), 2u);
}

TEST_F(PrinterGroupsTest, OkStoresEverythingAndCancelLosesOnlyUnsavedChecks) {
  Install(kTwoGroups);
  DialogRecorder recorder;
  wxSize size;
  {
    Dialog dialog(nullptr);
    Add(dialog, recorder, "extra");
    TogglePsOne(dialog);
    size = dialog.GetMinSize() + wxSize(90, 70);
    dialog.SetSize(size);
    Click(dialog, wxID_OK);
  }
  EXPECT_EQ(Stored("pg"), "first,second,extra");
  EXPECT_EQ(Stored("/printer-groups/extra"), "km_ps_one");
  EXPECT_EQ(Stored("pg_width") + "x" + Stored("pg_height"),
            std::to_string(size.x) + "x" + std::to_string(size.y));
  {
    Dialog dialog(nullptr);
    EXPECT_EQ(dialog.GetSize(), size);
    Add(dialog, recorder, "later");
    Click(dialog, Dialog::kCheckAllId);
    Click(dialog, wxID_CANCEL);
  }
  EXPECT_EQ(Stored("/printer-groups/later"), "");
  EXPECT_EQ(recorder.shown().size(), 2u);  // the two names asked for, nothing else
}

}  // namespace
}  // namespace app_test
