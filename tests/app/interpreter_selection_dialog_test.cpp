#include "interpreter_selection_dialog.h"

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/utils.h>

#include <filesystem>
#include <string>

#include "app_fixture.h"
#include "dialog_recorder.h"
#include "file_io.h"

namespace app_test {
namespace {

using Dialog = app::InterpreterSelectionDialog;

class InterpreterSelectionTest : public AppTest {
 protected:
  template <typename Control>
  static Control* Find(wxWindow& dialog, int id) {
    auto* control = dynamic_cast<Control*>(dialog.FindWindow(id));
    EXPECT_NE(control, nullptr) << id;
    return control;
  }
  static wxCheckBox* Lumen(wxWindow& dialog) {
    for (wxWindow* child = dialog.FindWindow(Dialog::kEditStubId); child;
         child = child->GetNextSibling()) {
      if (auto* box = dynamic_cast<wxCheckBox*>(child)) return box;
    }
    ADD_FAILURE() << "no check box";
    return nullptr;
  }
  static void Press(wxWindow& dialog, int id) {
    wxCommandEvent event(wxEVT_BUTTON, id);
    event.SetEventObject(dialog.FindWindow(id));
    dialog.GetEventHandler()->ProcessEvent(event);
  }
};

TEST_F(InterpreterSelectionTest, ShowsTheStoredChoiceWithItsTexts) {
  Install("useBuiltin=1\nkoraCore=/opt/kora\nkoraStub=/s/stub.txt\nincludeLMI=1\n");
  Dialog dialog(nullptr);
  EXPECT_EQ(dialog.GetTitle(), "Select Tessel Compose");
  const std::pair<int, const char*> labels[] = {
      {Dialog::kLocalId, "Use the Tessel Compose installed on this PC"},
      {Dialog::kBuiltinId, "Use KORAManage's built-in Tessel Compose"},
      {Dialog::kEditStubId, "Edit Stub File..."},
      {Dialog::kOkId, "OK"},
      {wxID_CANCEL, "Cancel"},
  };
  for (const auto& [id, label] : labels) {
    ASSERT_NE(dialog.FindWindow(id), nullptr) << id;
    EXPECT_EQ(dialog.FindWindow(id)->GetLabel(), label);
  }
  EXPECT_TRUE(Find<wxRadioButton>(dialog, Dialog::kBuiltinId)->GetValue());
  EXPECT_FALSE(Find<wxRadioButton>(dialog, Dialog::kLocalId)->GetValue());
  EXPECT_EQ(Find<app::PathEntryField>(dialog, Dialog::kCoreFieldId)->GetPath(), "/opt/kora");
  EXPECT_EQ(Find<app::PathEntryField>(dialog, Dialog::kStubFieldId)->GetPath(), "/s/stub.txt");
  ASSERT_NE(Lumen(dialog), nullptr);
  EXPECT_EQ(Lumen(dialog)->GetLabel(), "Include the Lumen Imaging module");
  EXPECT_TRUE(Lumen(dialog)->GetValue());
}

TEST_F(InterpreterSelectionTest, OkChecksTheChosenFieldThenWritesAllFourKeys) {
  struct Case {
    bool builtin;
    const char* core;
    const char* stub;
    bool lumen;
    const char* caption;  // empty: accepted
    const char* message;
    const char* written;  // after "width=620\n"
  };
  const Case cases[] = {
      {true, "/opt/kora", "", false, "KORA Stub Path", "Please provide a path to the stub file.",
       ""},
      {false, "", "/s/stub.txt", false, "Tessel Compose Path",
       "Please provide a path to the Tessel Compose.", ""},
      {true, "", "/s/stub.txt", true, "", "",
       "useBuiltin=1\nkoraCore=\nkoraStub=/s/stub.txt\nincludeLMI=1\n"},
      {false, "/opt/kora", "", false, "", "",
       "useBuiltin=0\nkoraCore=/opt/kora\nkoraStub=\nincludeLMI=0\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    Install("width=620\n");
    DialogRecorder dialogs;
    Dialog dialog(nullptr);
    Find<wxRadioButton>(dialog, c.builtin ? Dialog::kBuiltinId : Dialog::kLocalId)->SetValue(true);
    Find<app::PathEntryField>(dialog, Dialog::kCoreFieldId)->SetPath(c.core);
    Find<app::PathEntryField>(dialog, Dialog::kStubFieldId)->SetPath(c.stub);
    Lumen(dialog)->SetValue(c.lumen);
    Press(dialog, Dialog::kOkId);

    EXPECT_EQ(Installed(), std::string("width=620\n") + c.written);
    EXPECT_EQ(dialog.GetReturnCode(), *c.caption ? 0 : wxID_OK);
    ASSERT_EQ(dialogs.shown().size(), *c.caption ? 1u : 0u);
    if (!*c.caption) continue;
    EXPECT_EQ(dialogs.shown()[0].caption, c.caption);
    EXPECT_EQ(dialogs.shown()[0].message, c.message);
    EXPECT_TRUE(dialogs.shown()[0].style & wxICON_ERROR);
  }
}

TEST_F(InterpreterSelectionTest, BrowsedDirectoryStaysWhenCancelled) {
  Install("useBuiltin=1\nkoraStub=NULL\n");
  DialogRecorder dialogs;
  dialogs.AnswerWith([](wxDialog& dialog) {
    auto* core = Find<app::PathEntryField>(dialog, Dialog::kCoreFieldId);
    core->SetChooser([](const app::PathChoiceRequest& request) {
      EXPECT_TRUE(request.chooseDirectory);
      EXPECT_EQ(request.message, "Browse");
      return std::optional<app::PathChoice>{{"/opt/kora", "/opt/kora"}};
    });
    Press(*core, app::PathEntryField::kBrowseId);
    return wxID_CANCEL;
  });
  EXPECT_FALSE(app::ShowInterpreterSelection(nullptr));
  EXPECT_EQ(Installed(), "useBuiltin=1\nkoraStub=NULL\nkoraCore=/opt/kora\n");
  ASSERT_EQ(dialogs.shown().size(), 1u);
  EXPECT_EQ(dialogs.shown()[0].caption, "Select Tessel Compose");
}

TEST_F(InterpreterSelectionTest, EditStubFileOpensItOrSaysWhyNot) {
  const std::filesystem::path stub = root() / "stub.txt";
  const std::filesystem::path opened = root() / "opened";
  const std::filesystem::path editor = root() / "editor";
  km_test::WriteFile(stub, "SETPPATH x\n");
  km_test::WriteFile(editor, "#!/bin/sh\nPATH=/usr/bin:/bin\necho \"$@\" > " + opened.string() +
                                 ".part\nmv " + opened.string() + ".part " + opened.string() +
                                 "\n");
  std::filesystem::permissions(editor, std::filesystem::perms::owner_all);
  const std::filesystem::path emptyPath = root() / "bin";
  std::filesystem::create_directories(emptyPath);
  km_test::EnvOverride path("PATH", emptyPath.string());
  km_test::EnvOverride noEditor("EDITOR", std::nullopt);
  Install("width=620\n");

  struct Case {
    std::string stub;
    std::optional<std::string> visual;
    std::string message;  // empty: nothing shown
  };
  const Case cases[] = {
      {"", editor.string(), ""},
      {(root() / "gone.txt").string(), editor.string(),
       "The file does not exist.\n\n" + (root() / "gone.txt").string()},
      {stub.string(), std::nullopt, "KORAManage cannot find the appropriate text editor."},
      {stub.string(), editor.string(), ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stub);
    km_test::EnvOverride visual("VISUAL", c.visual);
    DialogRecorder dialogs;
    Dialog dialog(nullptr);
    Find<app::PathEntryField>(dialog, Dialog::kStubFieldId)->SetPath(c.stub);
    Press(dialog, Dialog::kEditStubId);
    ASSERT_EQ(dialogs.shown().size(), c.message.empty() ? 0u : 1u);
    if (c.message.empty()) continue;
    EXPECT_EQ(dialogs.shown()[0].caption, "KORAManage");
    EXPECT_EQ(dialogs.shown()[0].message, c.message);
    EXPECT_TRUE(dialogs.shown()[0].style & wxICON_ERROR);
    EXPECT_FALSE(std::filesystem::exists(opened));
  }
  // The editor runs on its own; the dialog did not wait for it.
  for (int wait = 0; wait < 1500 && !std::filesystem::exists(opened); ++wait) wxMilliSleep(20);
  EXPECT_EQ(km_test::ReadFile(opened), stub.string() + "\n");
}

}  // namespace
}  // namespace app_test
