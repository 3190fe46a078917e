#include "main_frame.h"

#include <cups/cups.h>
#include <gtest/gtest.h>
#include <wx/menu.h>
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

 private:
  std::string savedServer_;
};

// Polls until the window manager has brought the window into the state; false when it never
// does within a generous bound.
bool WaitUntilMaximized(wxFrame& frame, bool askAgain) {
  for (int i = 0; i < 400 && !frame.IsMaximized(); ++i) {
    // A request sent before the window manager took over the display is lost.
    if (askAgain && i % 20 == 0) frame.Maximize();
    wxMilliSleep(50);
    wxTheApp->Yield(true);
  }
  return frame.IsMaximized();
}

TEST_F(MainFrameTest, GeometryAndChoicesAreSavedOnCloseAndRestored) {
  struct Case {
    const char* settings;
    wxSize expected;
  };
  const Case cases[] = {
      {"useBuiltin=1\n", wxSize(620, 732)},
      {"width=700\n", wxSize(620, 732)},
      {"width=700\nheight=800\n", wxSize(700, 800)},
  };
  for (const Case& c : cases) {
    Install(c.settings);
    auto* frame = new app::MainFrame("title");
    EXPECT_EQ(frame->GetSize(), c.expected) << c.settings;
    EXPECT_EQ(frame->GetMinSize(), wxSize(620, 732));
    frame->Destroy();
  }

  Install("useBuiltin=1\nlastPrinter=km_ps_one\n");
  auto* frame = new app::MainFrame("title");
  ASSERT_NE(frame->GetMenuBar(), nullptr);
  EXPECT_EQ(frame->GetMenuBar()->GetMenuCount(), 3u);
  EXPECT_TRUE(frame->GetMenuBar()->IsEnabled(app::kIdChooseInterpreter));
  EXPECT_TRUE(frame->GetMenuBar()->IsEnabled(app::kIdPrinterGroups));
  EXPECT_EQ(frame->GetStatusBar()->GetFieldsCount(), 1);
  EXPECT_EQ(frame->taskPanel()->GetDestination(), "[No Printers Available]");
  EXPECT_EQ(frame->GetStatusBar()->GetStatusText().Find("No printers listed: cannot reach the "
                                                        "print server"),
            0);
  {
    DialogRecorder dialogs;
    dialogs.AnswerWith([](wxDialog&) { return static_cast<int>(wxID_CANCEL); });
    wxCommandEvent choose(wxEVT_MENU, app::kIdChooseInterpreter);
    frame->ProcessWindowEvent(choose);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].caption, "Select Tessel Compose");
  }
  frame->taskPanel()->statusPage()->SetValue(true);
  frame->SetSize(750, 810);
  ASSERT_EQ(trmInitialize(), TRM_OK);
  wxCommandEvent exit(wxEVT_MENU, app::kIdExit);
  frame->ProcessWindowEvent(exit);
  wxTheApp->ProcessIdle();
  EXPECT_EQ(trmFinished(), TRM_ALREADY_TERMINATED);
  const std::string saved = Installed();
  EXPECT_NE(saved.find("useBuiltin=1"), std::string::npos) << saved;
  EXPECT_NE(saved.find("isMaximized=0"), std::string::npos) << saved;
  EXPECT_NE(saved.find("width=750"), std::string::npos) << saved;
  EXPECT_NE(saved.find("height=810"), std::string::npos) << saved;
  EXPECT_NE(saved.find("statusPage=1"), std::string::npos) << saved;
  // The no-printer entry was selected: the last real choice stays.
  EXPECT_NE(saved.find("lastPrinter=km_ps_one"), std::string::npos) << saved;

  frame = new app::MainFrame("title");
  EXPECT_EQ(frame->GetSize(), wxSize(750, 810));
  EXPECT_TRUE(frame->taskPanel()->GetStatusPage());
  frame->Destroy();
}

// Only a window manager maximizes: one runs on the test's display for this test.
TEST_F(MainFrameTest, ClosedMaximizedReopensMaximized) {
  constexpr char kWindowManager[] = "/usr/bin/openbox";
  ASSERT_TRUE(std::filesystem::exists(kWindowManager)) << "the openbox package is needed";
  km_test::RunningProgram manager(kWindowManager, {"--sm-disable"}, root() / "openbox.log");

  Install("useBuiltin=1\n");
  auto* frame = new app::MainFrame("title");
  frame->Show();
  ASSERT_TRUE(WaitUntilMaximized(*frame, true)) << "the window manager never maximized";
  frame->Close(true);
  wxTheApp->ProcessIdle();
  const std::string saved = Installed();
  EXPECT_NE(saved.find("isMaximized=1"), std::string::npos) << saved;

  // Whatever size is stored, the window comes back maximized.
  Install("useBuiltin=1\nisMaximized=1\nwidth=640\nheight=750\n");
  frame = new app::MainFrame("title");
  frame->Show();
  EXPECT_TRUE(WaitUntilMaximized(*frame, false));
  frame->Destroy();
}

TEST_F(MainFrameTest, AboutNamesTheInterpreterInUse) {
  const std::string core = (root() / "kora").string();
  const std::string longHead = "%!\n%%Version: 12.0c\r\n" + std::string(255, '%');
  struct Case {
    std::string settings;
    std::string eeh;  // empty: no prolog file
    std::string lines;
  };
  const Case cases[] = {
      {"useBuiltin=1\nkoraCore=" + core + "\n", longHead,
       std::string("Built-in Tessel Compose ") + trmGetBuiltinKORAVersion() + "\n\n"},
      {"koraCore=" + core + "\n", longHead,
       "Tessel Compose Directory = \"" + core + "\"\nTessel Compose 12.0c\n\n"},
      {"useBuiltin=0\nkoraCore=" + core + "\n", "%!\n%%Version: 12.0c\n",
       "Tessel Compose Directory = \"" + core + "\"\n\n\n"},
      {"useBuiltin=0\nkoraCore=" + core + "\n", "", ""},
  };
  for (const Case& c : cases) {
    Install(c.settings);
    std::filesystem::remove_all(core);
    if (!c.eeh.empty()) km_test::WriteFile(std::filesystem::path(core) / "src" / "mtb.eeh", c.eeh);
    auto* frame = new app::MainFrame("title");
    DialogRecorder dialogs;
    wxCommandEvent about(wxEVT_MENU, app::kIdAbout);
    frame->ProcessWindowEvent(about);
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].caption, "About Tidewell KORAManage");
    const std::string expected =
        "Tidewell KORAManage 12.1 SP2\nTessel Project resources management utility for remote "
        "printers.\n" +
        std::string(app::kNotice) + "\n\n" + c.lines + trmGetVersion() +
        "\nTPSDK 2.1.6\nwxWidgets 3.2.";
    EXPECT_EQ(dialogs.shown()[0].message.substr(0, expected.size()), expected) << c.settings;
    frame->Destroy();
  }
}

}  // namespace
}  // namespace app_test
