#include "program_start.h"

#include <gtest/gtest.h>
#include <wx/snglinst.h>
#include <wx/toplevel.h>

#include <filesystem>

#include "app_fixture.h"
#include "dialog_recorder.h"
#include "program_identity.h"
#include "running_program.h"
#include "trm.h"

namespace app_test {
namespace {

using ProgramStartTest = AppTest;
using app::StartOutcome;

TEST_F(ProgramStartTest, StartsOnlyWithASettingsFileAndAnInterpreterChosen) {
  const std::filesystem::path rootDir = root() / "install";
  std::filesystem::create_directories(rootDir);
  const struct {
    const char* settings;  // none: no settings file
    int answer;            // of the interpreter choice, not worked: its own test covers it
    StartOutcome outcome;
    std::string dialogs;
  } cases[] = {
      {nullptr, wxID_OK, StartOutcome::kNoSettingsFile,
       "Initialization Failure: The configuration file '" + settingsPath().string() +
           "' was not found.\n\nPlease re-install the Tidewell KORAManage application.;"},
      {"useBuiltin=1\nkoraStub=NULL\n", wxID_CANCEL, StartOutcome::kNoInterpreter,
       "Select Tessel Compose: ;"},
      {"useBuiltin=1\nkoraStub=NULL\n", wxID_OK, StartOutcome::kRunning,
       "Select Tessel Compose: ;"},
      {"useBuiltin=0\nkoraCore=/opt/kora/\n", wxID_OK, StartOutcome::kRunning, ""},
  };
  for (const auto& c : cases) {
    if (c.settings) Install("kmRootDir=" + rootDir.string() + "\n" + c.settings);
    std::filesystem::current_path(root());
    DialogRecorder dialogs;
    dialogs.AnswerWith([&](wxDialog&) { return c.answer; });
    app::ProgramStart start(root().string());
    EXPECT_EQ(start.Run(), c.outcome) << c.dialogs;
    wxTheApp->ProcessIdle();
    std::string shown;
    for (const ShownDialog& d : dialogs.shown()) shown += d.caption + ": " + d.message + ";";
    EXPECT_EQ(shown, c.dialogs);
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
