#include "main_frame.h"

#include <cups/cups.h>
#include <gtest/gtest.h>
#include <wx/utils.h>

#include <filesystem>
#include <string>

#include "app_fixture.h"
#include "dialog_recorder.h"
#include "program_identity.h"
#include "running_program.h"
#include "trm.h"

namespace app_test {
namespace {

// No print server answers: the destination list is the no-printer entry alone, whatever the
// machine runs.
class MainFrameTest : public AppTest {
 protected:
  MainFrameTest() : savedServer_(cupsServer()) {
    cupsSetServer((root() / "no-server.sock").c_str());
  }
  ~MainFrameTest() override { cupsSetServer(savedServer_.c_str()); }

  // The caption and text of the one dialog the menu command shows.
  static ShownDialog Menu(wxFrame& frame, int id) {
    DialogRecorder dialogs;
    dialogs.AnswerWith([](wxDialog&) { return static_cast<int>(wxID_CANCEL); });
    wxCommandEvent command(wxEVT_MENU, id);
    frame.ProcessWindowEvent(command);
    EXPECT_EQ(dialogs.shown().size(), 1u);
    return dialogs.shown().empty() ? ShownDialog{} : dialogs.shown()[0];
  }

 private:
  std::string savedServer_;
};

TEST_F(MainFrameTest, GeometryAndChoicesAreSavedOnCloseAndRestored) {
  Install("useBuiltin=1\nlastPrinter=km_ps_one\n");
  auto* frame = new app::MainFrame("title");
  EXPECT_EQ(frame->taskPanel()->GetDestination(), "[No Printers Available]");
  EXPECT_TRUE(frame->GetStatusBar()->GetStatusText().StartsWith("No printers listed: "));
  EXPECT_EQ(Menu(*frame, app::kIdChooseInterpreter).caption, "Select Tessel Compose");
  frame->taskPanel()->statusPage()->SetValue(true);
  frame->SetSize(750, 810);
  ASSERT_EQ(trmInitialize(), TRM_OK);
  wxCommandEvent exit(wxEVT_MENU, app::kIdExit);
  frame->ProcessWindowEvent(exit);
  EXPECT_EQ(trmFinished(), TRM_ALREADY_TERMINATED);
  // The no-printer entry was selected: the last real choice stays.
  EXPECT_EQ(Installed(),
            "useBuiltin=1\nlastPrinter=km_ps_one\nstatusPage=1\nisMaximized=0\n"
            "width=750\nheight=810\n");

  frame = new app::MainFrame("title");
  EXPECT_EQ(frame->GetSize(), wxSize(750, 810));
  EXPECT_TRUE(frame->taskPanel()->GetStatusPage());
}

// Only a window manager maximizes: one runs on the test's display for this test.
TEST_F(MainFrameTest, ClosedMaximizedReopensMaximized) {
  constexpr char kWindowManager[] = "/usr/bin/openbox";
  ASSERT_TRUE(std::filesystem::exists(kWindowManager)) << "the openbox package is needed";
  km_test::RunningProgram manager(kWindowManager, {"--sm-disable"}, root() / "openbox.log");
  // Polls until the window manager has maximized the frame; a request sent before the window
  // manager took over the display is lost, so it is repeated when asked to.
  auto maximized = [](wxFrame& frame, bool askAgain) {
    for (int i = 0; i < 400 && !frame.IsMaximized(); ++i) {
      if (askAgain && i % 20 == 0) frame.Maximize();
      wxMilliSleep(50);
      wxTheApp->Yield(true);
    }
    return frame.IsMaximized();
  };

  Install("useBuiltin=1\n");
  auto* frame = new app::MainFrame("title");
  frame->Show();
  ASSERT_TRUE(maximized(*frame, true)) << "the window manager never maximized";
  frame->Close(true);
  EXPECT_NE(Installed().find("isMaximized=1"), std::string::npos) << Installed();

  // Whatever size is stored, the window comes back maximized.
  Install("useBuiltin=1\nisMaximized=1\nwidth=640\nheight=750\n");
  frame = new app::MainFrame("title");
  frame->Show();
  EXPECT_TRUE(maximized(*frame, false));
}

TEST_F(MainFrameTest, AboutNamesTheInterpreterInUse) {
  const std::string core = (root() / "kora").string();
  const std::string coreLine = "Tessel Compose Directory = \"" + core + "\"\n";
  const struct {
    std::string settings, eeh, lines;  // eeh empty: no prolog file
  } cases[] = {
      {"useBuiltin=1\n", "%!\n%%Version: 12.0c\n",
       std::string("Built-in Tessel Compose ") + trmGetBuiltinKORAVersion() + "\n\n"},
      {"", "%!\n%%Version: 12.0c\r\n" + std::string(255, '%'),
       coreLine + "Tessel Compose 12.0c\n\n"},
      {"useBuiltin=0\n", "%!\n%%Version: 12.0c\n", coreLine + "\n\n"},
      {"useBuiltin=0\n", "", ""},
  };
  for (const auto& c : cases) {
    Install(c.settings + "koraCore=" + core + "\n");
    std::filesystem::remove_all(core);
    if (!c.eeh.empty()) km_test::WriteFile(std::filesystem::path(core) / "src" / "mtb.eeh", c.eeh);
    auto* frame = new app::MainFrame("title");
    const ShownDialog about = Menu(*frame, app::kIdAbout);
    EXPECT_EQ(about.caption, "About Tidewell KORAManage");
    const std::string lines = std::string(app::kNotice) + "\n\n" + c.lines + trmGetVersion() + "\n";
    EXPECT_NE(about.message.find(lines), std::string::npos) << about.message;
  }
}

}  // namespace
}  // namespace app_test
