#include "help_viewer.h"

#include <gtest/gtest.h>
#include <wx/bookctrl.h>
#include <wx/frame.h>
#include <wx/html/helpwnd.h>
#include <wx/toplevel.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <string>

#include "app_fixture.h"
#include "dialog_recorder.h"
#include "program_start.h"
#include "task_panel.h"
#include "trm.h"
#include "window_shot.h"

namespace app_test {
namespace {

using HelpViewerTest = AppTest;

// The page of the help window's navigation panel that is selected: "Contents", "Index", ...
std::string NavigationTab(const app::HelpViewer& help) {
  const auto* tabs = dynamic_cast<wxBookCtrlBase*>(help.window()->FindWindow(wxID_HTML_NOTEBOOK));
  if (!tabs || tabs->GetSelection() == wxNOT_FOUND) return {};
  return tabs->GetPageText(tabs->GetSelection()).utf8_string();
}

std::string ShownPageName(const app::HelpViewer& help) {
  const std::string page = help.shownPage().utf8_string();
  return page.substr(page.rfind(':') + 1);
}

TEST_F(HelpViewerTest, KeywordsOpenTheirPagesAndAnythingElseTheContentsOrIndex) {
  struct Case {
    const char* keyword;
    const char* page;
    const char* tab;
  };
  static const Case cases[] = {
      {"Install Tessel Compose", "install_tessel_compose.html", "Contents"},
      {"Load Project Resources", "load_project_resources.html", "Contents"},
      {"Send Container", "send_container.html", "Contents"},
      {"Delete Files", "delete_files.html", "Contents"},
      {"List Printer Files", "list_printer_files.html", "Contents"},
      {"Manage Legacy Files", "manage_legacy_files.html", "Contents"},
      {"Load PostScript Fonts", "load_postscript_fonts.html", "Contents"},
      {"", "start.html", "Contents"},
      {"Replace Printer Firmware", "start.html", "Index"},
  };
  // The task list's keywords are the ones looked up here.
  for (const app::TaskInfo& task : app::Tasks()) {
    EXPECT_TRUE(std::any_of(std::begin(cases), std::end(cases), [&](const Case& c) {
      return c.keyword == std::string(task.helpKeyword);
    })) << task.helpKeyword;
  }
  app::HelpViewer help(KM_HELP_BOOK);
  ASSERT_TRUE(help.loaded());
  EXPECT_EQ(help.window(), nullptr);
  DialogRecorder dialogs;
  for (const Case& c : cases) {
    help.Show(c.keyword);
    ASSERT_NE(help.window(), nullptr) << c.keyword;
    EXPECT_EQ(ShownPageName(help), c.page) << c.keyword;
    EXPECT_EQ(NavigationTab(help), c.tab) << c.keyword;
    if (c.keyword == std::string("Send Container")) {
      EXPECT_TRUE(SaveScreenshot(*help.window(), "help_viewer"));
    }
  }
  EXPECT_TRUE(dialogs.shown().empty());
  // Closing the main window ends the program even while help is open.
  EXPECT_FALSE(help.window()->ShouldPreventAppExit());
}

TEST_F(HelpViewerTest, StartMakesHelpOnlyFromAReadableBookBelowTheRootFolder) {
  EXPECT_EQ(app::HelpBookPath("/opt/km"), "/opt/km/docs/kmhelp.htb");
  EXPECT_EQ(app::HelpBookPath("/opt/km/"), "/opt/km/docs/kmhelp.htb");

  const std::filesystem::path rootDir = root() / "install";
  const std::filesystem::path book = rootDir / "docs" / "kmhelp.htb";
  std::filesystem::create_directories(rootDir / "docs");
  Install("kmRootDir=" + rootDir.string() + "\nuseBuiltin=0\nkoraCore=/opt/kora\n");
  const auto start = [&](const char* helpKeyword) {
    DialogRecorder dialogs;
    app::ProgramStart program(root().string());
    EXPECT_EQ(program.Run(), app::StartOutcome::kRunning);
    EXPECT_EQ(trmFinished(), TRM_OK);
    const size_t windows = wxTopLevelWindows.size();
    app::ShowHelp(helpKeyword);
    const bool shown = wxTopLevelWindows.size() > windows;
    EXPECT_EQ(shown, app::ProgramHelp() != nullptr);
    const std::string page = app::ProgramHelp() ? ShownPageName(*app::ProgramHelp()) : "";
    EXPECT_TRUE(dialogs.shown().empty());
    program.frame()->Destroy();
    wxTheApp->ProcessIdle();
    return page;
  };

  EXPECT_EQ(start("Send Container"), "");  // no book
  km_test::WriteFile(book, "not a zip");
  EXPECT_EQ(start("Send Container"), "");  // unreadable book
  std::filesystem::copy_file(KM_HELP_BOOK, book, std::filesystem::copy_options::overwrite_existing);
  EXPECT_EQ(start("Send Container"), "send_container.html");
  EXPECT_EQ(app::ProgramHelp(), nullptr);  // gone with the start that made it
}

}  // namespace
}  // namespace app_test
