#include "interpreter_selection_dialog.h"

#include <gtest/gtest.h>
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
    return dynamic_cast<Control*>(dialog.FindWindow(id));
  }
  static app::PathEntryField* Field(wxWindow& dialog, int id) {
    return Find<app::PathEntryField>(dialog, id);
  }
  // The only check box of the dialog.
  static wxCheckBox* Lumen(wxWindow& dialog) {
    wxWindow* child = dialog.FindWindow(Dialog::kEditStubId);
    while (child && !dynamic_cast<wxCheckBox*>(child)) child = child->GetNextSibling();
    return dynamic_cast<wxCheckBox*>(child);
  }
  static void Press(wxWindow& dialog, int id) {
    wxCommandEvent event(wxEVT_BUTTON, id);
    dialog.GetEventHandler()->ProcessEvent(event);
  }
};

TEST_F(InterpreterSelectionTest, OkRefusesAnEmptyChosenPathElseWritesAllFourKeys) {
  Install("useBuiltin=1\nkoraCore=/opt/kora\nkoraStub=NULL\nincludeLMI=1\n");
  {
    Dialog stored(nullptr);
    EXPECT_TRUE(Find<wxRadioButton>(stored, Dialog::kBuiltinId)->GetValue());
    EXPECT_EQ(Field(stored, Dialog::kCoreFieldId)->GetPath(), "/opt/kora");
    ASSERT_NE(Lumen(stored), nullptr);
    EXPECT_TRUE(Lumen(stored)->GetValue());
    // Browsing for the installation stores the folder at once, whatever closes the dialog.
    app::PathEntryField* core = Field(stored, Dialog::kCoreFieldId);
    core->SetChooser([](const app::PathChoiceRequest& request) {
      EXPECT_TRUE(request.chooseDirectory);
      return std::optional<app::PathChoice>{{"/opt/new", "/opt/new"}};
    });
    Press(*core, app::PathEntryField::kBrowseId);
    EXPECT_EQ(Installed(), "useBuiltin=1\nkoraCore=/opt/new\nkoraStub=NULL\nincludeLMI=1\n");
  }
  const struct {
    bool builtin;
    const char *core, *stub;
    bool lumen;
    const char *caption, *message, *written;  // caption empty: accepted
  } cases[] = {
      {true, "/opt/kora", "", false, "KORA Stub Path", "Please provide a path to the stub file.",
       ""},
      {false, "", "/s/stub.txt", false, "Tessel Compose Path",
       "Please provide a path to the Tessel Compose.", ""},
      {true, "", "/s/stub.txt", true, "", "",
       "useBuiltin=1\nkoraCore=\nkoraStub=/s/stub.txt\nincludeLMI=1\n"},
      {false, "/opt/kora", "", false, "", "",
       "useBuiltin=0\nkoraCore=/opt/kora\nkoraStub=\nincludeLMI=0\n"},
  };
  for (const auto& c : cases) {
    Install("width=620\n");
    DialogRecorder dialogs;
    Dialog dialog(nullptr);
    Find<wxRadioButton>(dialog, c.builtin ? Dialog::kBuiltinId : Dialog::kLocalId)->SetValue(true);
    Field(dialog, Dialog::kCoreFieldId)->SetPath(c.core);
    Field(dialog, Dialog::kStubFieldId)->SetPath(c.stub);
    Lumen(dialog)->SetValue(c.lumen);
    Press(dialog, Dialog::kOkId);
    EXPECT_EQ(Installed(), std::string("width=620\n") + c.written);
    EXPECT_EQ(dialog.GetReturnCode(), *c.caption ? 0 : wxID_OK);
    ASSERT_EQ(dialogs.shown().size(), *c.caption ? 1u : 0u) << c.message;
    if (!*c.caption) continue;
    EXPECT_EQ(dialogs.shown()[0].caption + dialogs.shown()[0].message,
              std::string(c.caption) + c.message);
    EXPECT_TRUE(dialogs.shown()[0].style & wxICON_ERROR);
  }
}

TEST_F(InterpreterSelectionTest, EditStubFileOpensItOrSaysWhyNot) {
  const std::filesystem::path stub = root() / "stub.txt";
  const std::filesystem::path gone = root() / "gone.txt";
  const std::filesystem::path opened = root() / "opened";  // the editor links the file here
  km_test::WriteFile(stub, "SETPPATH x\n");
  std::filesystem::create_directory(opened);
  const std::string editor = "/bin/ln -s -t " + opened.string();
  km_test::EnvOverride path("PATH", opened.string());  // holds no editor
  km_test::EnvOverride noEditor("EDITOR", std::nullopt);
  Install("width=620\n");
  const struct {
    std::string stub;
    std::optional<std::string> visual;
    std::string message;  // empty: nothing shown
  } cases[] = {
      {"", editor, ""},
      {gone.string(), editor, "The file does not exist.\n\n" + gone.string()},
      {stub.string(), std::nullopt, "KORAManage cannot find the appropriate text editor."},
      {stub.string(), editor, ""},
  };
  for (const auto& c : cases) {
    km_test::EnvOverride visual("VISUAL", c.visual);
    DialogRecorder dialogs;
    Dialog dialog(nullptr);
    Field(dialog, Dialog::kStubFieldId)->SetPath(c.stub);
    Press(dialog, Dialog::kEditStubId);
    ASSERT_EQ(dialogs.shown().size(), c.message.empty() ? 0u : 1u) << c.stub;
    if (c.message.empty()) continue;
    EXPECT_EQ(dialogs.shown()[0].caption + dialogs.shown()[0].message, "KORAManage" + c.message);
    EXPECT_TRUE(dialogs.shown()[0].style & wxICON_ERROR);
    EXPECT_TRUE(std::filesystem::is_empty(opened));
  }
  // The editor runs on its own; the dialog did not wait for it.
  const std::filesystem::path link = opened / "stub.txt";
  for (int wait = 0; wait < 1500 && !std::filesystem::is_symlink(link); ++wait) wxMilliSleep(20);
  EXPECT_EQ(std::filesystem::is_symlink(link) ? std::filesystem::read_symlink(link) : "", stub);
}

}  // namespace
}  // namespace app_test
