#include "program_start.h"

#include <gtest/gtest.h>
#include <wx/radiobut.h>
#include <wx/snglinst.h>
#include <wx/toplevel.h>

#include <filesystem>
#include <functional>

#include "app_fixture.h"
#include "dialog_recorder.h"
#include "interpreter_selection_dialog.h"
#include "program_identity.h"
#include "running_program.h"
#include "trm.h"

namespace app_test {
namespace {

using ProgramStartTest = AppTest;
using app::StartOutcome;
using Choice = app::InterpreterSelectionDialog;

TEST_F(ProgramStartTest, MissingSettingsFileIsReportedAndEndsTheStart) {
  DialogRecorder dialogs;
  app::ProgramStart start(root().string());
  EXPECT_EQ(start.Run(), StartOutcome::kNoSettingsFile);
  ASSERT_EQ(dialogs.shown().size(), 1u);
  EXPECT_EQ(dialogs.shown()[0].caption, "Initialization Failure");
  EXPECT_EQ(dialogs.shown()[0].message,
            "The configuration file '" + settingsPath().string() +
                "' was not found.\n\nPlease re-install the Tidewell KORAManage application.");
  EXPECT_TRUE(dialogs.shown()[0].style & wxICON_ERROR);
  EXPECT_TRUE(wxTopLevelWindows.empty());
  EXPECT_FALSE(std::filesystem::exists(settingsPath()));
}

// Answers the interpreter choice with OK, after choosing the local installation when given.
int PressOk(wxDialog& dialog, const char* core) {
  if (core) {
    dynamic_cast<wxRadioButton*>(dialog.FindWindow(Choice::kLocalId))->SetValue(true);
    dynamic_cast<app::PathEntryField*>(dialog.FindWindow(Choice::kCoreFieldId))->SetPath(core);
  }
  wxCommandEvent ok(wxEVT_BUTTON, Choice::kOkId);
  dialog.GetEventHandler()->ProcessEvent(ok);
  return dialog.GetReturnCode();
}

TEST_F(ProgramStartTest, StartsInTheRootFolderOnlyWithAnInterpreterChosen) {
  const std::filesystem::path rootDir = root() / "install";
  std::filesystem::create_directories(rootDir);
  const std::string incomplete = "useBuiltin=1\nkoraStub=NULL\n";
  const struct {
    std::string settings;
    std::function<int(wxDialog&)> answer;  // null: no dialog expected
    StartOutcome outcome;
    std::string captions, written;
  } cases[] = {
      // Closed the normal way, which keeps the window settings.
      {incomplete, [](wxDialog&) { return wxID_CANCEL; }, StartOutcome::kNoInterpreter,
       "Select Tessel Compose;", "width=620"},
      {incomplete, [](wxDialog& d) { return PressOk(d, nullptr); }, StartOutcome::kNoInterpreter,
       "Select Tessel Compose;KORA Stub Path;", incomplete},
      {"useBuiltin=0\nkoraCore=NULL\nkoraStub=/s/stub.txt\n",
       [](wxDialog& d) { return PressOk(d, "/opt/kora"); }, StartOutcome::kRunning,
       "Select Tessel Compose;", "useBuiltin=0\nkoraCore=/opt/kora\nkoraStub=/s/stub.txt\n"},
      {"useBuiltin=0\nkoraCore=/opt/kora/\n", nullptr, StartOutcome::kRunning, "", ""},
  };
  for (const auto& c : cases) {
    Install("kmRootDir=" + rootDir.string() + "\n" + c.settings);
    std::filesystem::current_path(root());
    DialogRecorder dialogs;
    if (c.answer) dialogs.AnswerWith(c.answer);
    app::ProgramStart start(root().string());
    EXPECT_EQ(start.Run(), c.outcome) << c.settings;
    wxTheApp->ProcessIdle();
    std::string captions;
    for (const ShownDialog& shown : dialogs.shown()) captions += shown.caption + ";";
    EXPECT_EQ(captions, c.captions);
    EXPECT_NE(Installed().find(c.written), std::string::npos) << Installed();
    const bool running = c.outcome == StartOutcome::kRunning;
    // The generator starts only with the main window.
    EXPECT_EQ(trmFinished(), running ? TRM_OK : TRM_ALREADY_TERMINATED);
    ASSERT_EQ(start.frame() != nullptr, running);
    if (!running) {
      EXPECT_TRUE(wxTopLevelWindows.empty());
      continue;
    }
    EXPECT_EQ(std::filesystem::current_path(), rootDir);
    EXPECT_TRUE(start.frame()->IsShown());
    EXPECT_EQ(start.frame()->GetTitle(), "Tidewell KORAManage");
    start.frame()->Destroy();
    wxTheApp->ProcessIdle();
  }
}

TEST_F(ProgramStartTest, SecondInstanceEndsAtOnceWithCodeZero) {
  // The first instance is this test; the program, with no settings file, would otherwise stop
  // at the failure message and be killed after the wait.
  wxSingleInstanceChecker first(app::kInstanceMutexName, root().string());
  ASSERT_FALSE(first.IsAnotherRunning());
  km_test::RunningProgram second(KM_KORAMANAGE, {});
  EXPECT_EQ(second.NextLine(20000), "");
  EXPECT_EQ(second.Stop(SIGKILL), 0);
}

}  // namespace
}  // namespace app_test
