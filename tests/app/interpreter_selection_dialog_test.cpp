#include "interpreter_selection_dialog.h"

#include <gtest/gtest.h>
#include <wx/checkbox.h>
#include <wx/radiobut.h>
#include <wx/utils.h>

#include <filesystem>
#include <optional>
#include <string>

#include "app_fixture.h"
#include "dialog_recorder.h"
#include "window_shot.h"

namespace app_test {
namespace {

using Dialog = app::InterpreterSelectionDialog;
using InterpreterSelectionTest = AppTest;

template <typename Control = app::PathEntryField>
Control& Field(wxWindow& dialog, int id) {
  return dynamic_cast<Control&>(*dialog.FindWindow(id));
}
wxCheckBox& Lumen(wxWindow& dialog) {
  return dynamic_cast<wxCheckBox&>(
      *wxWindow::FindWindowByLabel("Include the Lumen Imaging module", &dialog));
}
// Presses a button; the answer is the message box it showed: "caption: text", or "".
std::string Press(wxWindow& dialog, int id) {
  DialogRecorder dialogs;
  wxCommandEvent event(wxEVT_BUTTON, id);
  dialog.GetEventHandler()->ProcessEvent(event);
  if (dialogs.shown().empty()) return "";
  EXPECT_EQ(dialogs.shown().size(), 1u);
  EXPECT_TRUE(dialogs.shown()[0].style & wxICON_ERROR);
  return dialogs.shown()[0].caption + ": " + dialogs.shown()[0].message;
}

TEST_F(InterpreterSelectionTest, ShowsTheStoredChoiceAndOkWritesAllFourKeysOrAsksForAPath) {
  Install("useBuiltin=1\nkoraCore=/opt/kora\nkoraStub=NULL\nincludeLMI=1\n");
  {
    Dialog stored(nullptr);
    EXPECT_TRUE(Field<wxRadioButton>(stored, Dialog::kBuiltinId).GetValue() &&
                Lumen(stored).GetValue());
    EXPECT_EQ(Field(stored, Dialog::kCoreFieldId).GetPath(), "/opt/kora");
    EXPECT_TRUE(SaveScreenshot(stored, "interpreter_selection_dialog"));
  }
  const struct {
    bool builtin;
    std::string core, stub;
    bool lumen;
    const char* message;  // none when accepted
  } cases[] = {
      {true, "/opt/kora", "", false, "KORA Stub Path: Please provide a path to the stub file."},
      {false, "", "/s/stub.txt", false,
       "Tessel Compose Path: Please provide a path to the Tessel Compose."},
      {true, "", "/s/stub.txt", true, ""},
      {false, "/opt/kora", "", false, ""},
  };
  for (const auto& c : cases) {
    Install("width=620\n");
    Dialog dialog(nullptr);
    Field<wxRadioButton>(dialog, c.builtin ? Dialog::kBuiltinId : Dialog::kLocalId).SetValue(true);
    Field(dialog, Dialog::kCoreFieldId).SetPath(c.core);
    Field(dialog, Dialog::kStubFieldId).SetPath(c.stub);
    Lumen(dialog).SetValue(c.lumen);
    EXPECT_EQ(Press(dialog, Dialog::kOkId), c.message);
    const std::string written = "useBuiltin=" + std::to_string(c.builtin) + "\nkoraCore=" + c.core +
                                "\nkoraStub=" + c.stub + "\nincludeLMI=" + std::to_string(c.lumen);
    EXPECT_EQ(Installed(), "width=620\n" + (*c.message ? "" : written + "\n"));
    EXPECT_EQ(dialog.GetReturnCode(), *c.message ? 0 : wxID_OK);
  }
}

TEST_F(InterpreterSelectionTest, EditStubFileStartsTheEditorOrSaysWhyNot) {
  const std::filesystem::path stub = root() / "stub.txt", gone = root() / "gone.txt";
  km_test::WriteFile(stub, "SETPPATH x\n");
  Install("width=620\n");
  const km_test::EnvOverride path("PATH", root().string());  // holds no editor
  const km_test::EnvOverride noEditor("EDITOR", std::nullopt);
  const std::string linkStub = "/bin/ln -s -t " + root().string() + "/opened";  // the "editor"
  std::filesystem::create_directory(root() / "opened");
  const struct {
    std::filesystem::path stub;
    std::optional<std::string> visual;
    std::string message;
  } cases[] = {
      {gone, linkStub, "KORAManage: The file does not exist.\n\n" + gone.string()},
      {stub, std::nullopt, "KORAManage: KORAManage cannot find the appropriate text editor."},
      {stub, linkStub, ""},
  };
  for (const auto& c : cases) {
    const km_test::EnvOverride visual("VISUAL", c.visual);
    Dialog dialog(nullptr);
    Field(dialog, Dialog::kStubFieldId).SetPath(c.stub.string());
    EXPECT_EQ(Press(dialog, Dialog::kEditStubId), c.message);
  }
  // The editor was started on the stub file, once.
  const std::filesystem::path link = root() / "opened" / "stub.txt";
  for (int wait = 0; wait < 1500 && !std::filesystem::is_symlink(link); ++wait) wxMilliSleep(20);
  EXPECT_EQ(std::filesystem::is_symlink(link) ? std::filesystem::read_symlink(link) : "", stub);
  EXPECT_EQ(km_test::FolderEntries(root() / "opened").size(), 1u);
}

}  // namespace
}  // namespace app_test
