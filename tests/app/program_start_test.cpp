#include "program_start.h"

#include <gtest/gtest.h>
#include <wx/defs.h>
#include <wx/radiobut.h>
#include <wx/snglinst.h>
#include <wx/toplevel.h>

#include <filesystem>

#include "app_fixture.h"
#include "dialog_recorder.h"
#include "interpreter_selection_dialog.h"
#include "main_frame.h"
#include "program_identity.h"
#include "running_program.h"
#include "trm.h"

namespace app_test {
namespace {

using ProgramStartTest = AppTest;

TEST_F(ProgramStartTest, MissingSettingsFileIsReportedAndEndsTheStart) {
  DialogRecorder dialogs;
  app::ProgramStart start(root().string());
  EXPECT_EQ(start.Run(), app::StartOutcome::kNoSettingsFile);

  ASSERT_EQ(dialogs.shown().size(), 1u);
  EXPECT_EQ(dialogs.shown()[0].caption, "Initialization Failure");
  EXPECT_EQ(dialogs.shown()[0].message,
            "The configuration file '" + settingsPath().string() +
                "' was not found.\n\nPlease re-install the Tidewell KORAManage application.");
  EXPECT_TRUE(dialogs.shown()[0].style & wxICON_ERROR);
  EXPECT_TRUE(wxTopLevelWindows.empty());
  EXPECT_FALSE(std::filesystem::exists(settingsPath()));
}

TEST_F(ProgramStartTest, StartsInTheRootFolderOnlyWithAnInterpreterChosen) {
  const std::filesystem::path rootDir = root() / "install";
  std::filesystem::create_directories(rootDir);
  Install("kmRootDir=" + rootDir.string() + "\nuseBuiltin=1\nkoraStub=NULL\n");
  {
    DialogRecorder dialogs;
    dialogs.AnswerWith([](wxDialog&) { return wxID_CANCEL; });
    app::ProgramStart start(root().string());
    EXPECT_EQ(start.Run(), app::StartOutcome::kNoInterpreter);
    wxTheApp->ProcessIdle();
    EXPECT_EQ(start.frame(), nullptr);
    EXPECT_TRUE(wxTopLevelWindows.empty());
    // Closed the normal way, which keeps the window settings; the generator never started.
    EXPECT_NE(Installed().find("width=620"), std::string::npos) << Installed();
    EXPECT_EQ(trmFinished(), TRM_ALREADY_TERMINATED);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].caption, "Select Tessel Compose");
  }
  {
    DialogRecorder dialogs;
    dialogs.AnswerWith([](wxDialog& dialog) {
      wxCommandEvent ok(wxEVT_BUTTON, app::InterpreterSelectionDialog::kOkId);
      dialog.GetEventHandler()->ProcessEvent(ok);
      return dialog.GetReturnCode();
    });
    app::ProgramStart start(root().string());
    EXPECT_EQ(start.Run(), app::StartOutcome::kNoInterpreter);
    ASSERT_EQ(dialogs.shown().size(), 2u);  // the dialog, then its empty-stub message
    EXPECT_EQ(dialogs.shown()[1].caption, "KORA Stub Path");
  }
  {
    Install("kmRootDir=" + rootDir.string() +
            "\nuseBuiltin=0\nkoraCore=NULL\nkoraStub=/s/stub.txt\n");
    DialogRecorder dialogs;
    dialogs.AnswerWith([](wxDialog& dialog) {
      dynamic_cast<wxRadioButton*>(dialog.FindWindow(app::InterpreterSelectionDialog::kLocalId))
          ->SetValue(true);
      dynamic_cast<app::PathEntryField*>(
          dialog.FindWindow(app::InterpreterSelectionDialog::kCoreFieldId))
          ->SetPath("/opt/kora");
      wxCommandEvent ok(wxEVT_BUTTON, app::InterpreterSelectionDialog::kOkId);
      dialog.GetEventHandler()->ProcessEvent(ok);
      return dialog.GetReturnCode();
    });
    app::ProgramStart start(root().string());
    EXPECT_EQ(start.Run(), app::StartOutcome::kRunning);
    EXPECT_NE(Installed().find("useBuiltin=0\nkoraCore=/opt/kora\nkoraStub=/s/stub.txt\n"
                               "includeLMI=0\n"),
              std::string::npos)
        << Installed();
    EXPECT_EQ(trmFinished(), TRM_OK);
    ASSERT_NE(start.frame(), nullptr);
    start.frame()->Destroy();
    wxTheApp->ProcessIdle();
  }

  Install("kmRootDir=" + rootDir.string() + "\nuseBuiltin=0\nkoraCore=/opt/kora/\n");
  DialogRecorder dialogs;
  app::ProgramStart start(root().string());
  EXPECT_EQ(start.Run(), app::StartOutcome::kRunning);
  EXPECT_EQ(std::filesystem::current_path(), rootDir);
  ASSERT_NE(start.frame(), nullptr);
  EXPECT_TRUE(start.frame()->IsShown());
  EXPECT_EQ(start.frame()->GetTitle(), "Tidewell KORAManage");
  EXPECT_EQ(trmFinished(), TRM_OK);
  EXPECT_TRUE(dialogs.shown().empty());
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
