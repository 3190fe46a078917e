#include "help_viewer.h"

#include <gtest/gtest.h>
#include <wx/bookctrl.h>
#include <wx/frame.h>
#include <wx/html/helpwnd.h>

#include <cctype>
#include <filesystem>
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

// The page shown and the navigation tab selected ("Contents", "Index", ...).
std::string Shown(const app::HelpViewer& help) {
  const std::string page = help.shownPage().utf8_string();
  const auto* tabs = dynamic_cast<wxBookCtrlBase*>(help.window()->FindWindow(wxID_HTML_NOTEBOOK));
  const wxString tab = tabs ? tabs->GetPageText(tabs->GetSelection()) : "none";
  return page.substr(page.rfind(':') + 1) + " " + tab.utf8_string();
}

TEST_F(HelpViewerTest, EveryTaskKeywordOpensItsPageAnythingElseTheContentsOrIndex) {
  app::HelpViewer help(KM_HELP_BOOK);
  ASSERT_TRUE(help.loaded());
  DialogRecorder dialogs;
  for (const app::TaskInfo& task : app::Tasks()) {
    std::string page = task.helpKeyword;  // "Send Container": send_container.html
    for (char& c : page)
      c = c == ' ' ? '_' : static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    help.Show(task.helpKeyword);
    ASSERT_NE(help.window(), nullptr) << task.helpKeyword;
    EXPECT_EQ(Shown(help), page + ".html Contents");
  }
  SaveScreenshot(*help.window(), "help_viewer");
  help.Show("");
  EXPECT_EQ(Shown(help), "start.html Contents");
  help.Show("Replace Printer Firmware");
  EXPECT_EQ(Shown(help), "start.html Index");
  EXPECT_TRUE(dialogs.shown().empty());
  // Closing the main window ends the program even while help is open.
  EXPECT_FALSE(help.window()->ShouldPreventAppExit());
}

TEST_F(HelpViewerTest, StartMakesHelpOnlyFromAReadableBookBelowTheRootFolder) {
  const std::filesystem::path rootDir = root() / "install";
  const std::filesystem::path book = rootDir / "docs" / "kmhelp.htb";
  std::filesystem::create_directories(book.parent_path());
  Install("kmRootDir=" + rootDir.string() + "/\nuseBuiltin=0\nkoraCore=/opt/kora\n");
  DialogRecorder dialogs;
  for (const std::string content : {"", "not a zip", "the book"}) {
    const bool readable = content == "the book";
    if (!content.empty()) km_test::WriteFile(book, content);
    if (readable)
      std::filesystem::copy_file(KM_HELP_BOOK, book,
                                 std::filesystem::copy_options::overwrite_existing);
    app::ProgramStart program(root().string());
    ASSERT_EQ(program.Run(), app::StartOutcome::kRunning);
    EXPECT_EQ(trmFinished(), TRM_OK);
    const size_t windows = wxTopLevelWindows.size();
    app::ShowHelp("Send Container");
    EXPECT_EQ(wxTopLevelWindows.size() > windows, readable) << content;
    EXPECT_EQ(app::ProgramHelp() != nullptr, readable);
    program.frame()->Destroy();
    wxTheApp->ProcessIdle();
  }
  EXPECT_EQ(app::ProgramHelp(), nullptr);  // gone with the start that made it
  EXPECT_TRUE(dialogs.shown().empty());
}

}  // namespace
}  // namespace app_test
