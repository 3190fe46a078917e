// A task run from a window: the busy cursor, the frame's status line and the message boxes
// the user sees.
#include "task_runner.h"

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/panel.h>
#include <wx/statusbr.h>
#include <wx/utils.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app_fixture.h"
#include "dialog_recorder.h"
#include "window_shot.h"

namespace app_test {
namespace {

struct FosDeleter {
  void operator()(trmFOS* fos) const { trmFreeFOS(fos); }
};

// Keeps every line the status bar showed, the passing ones too.
class RecordingStatusBar : public wxStatusBar {
 public:
  explicit RecordingStatusBar(wxWindow* parent) : wxStatusBar(parent) {}
  std::vector<std::string> lines;

 protected:
  void DoUpdateStatusText(int field) override {
    lines.push_back(GetStatusText(field).utf8_string());
    wxStatusBar::DoUpdateStatusText(field);
  }
};

class TaskRunnerTest : public AppTest {
 protected:
  TaskRunnerTest() { trmInitialize(); }
  ~TaskRunnerTest() override { trmFinished(); }
};

TEST_F(TaskRunnerTest, ReportsInTheStatusLineAndInMessageBoxes) {
  Install("[printer-groups]\nnight=km_ps_one,km_ps_two\n");
  const std::string missingFolder = (root() / "none").string();
  struct Case {
    const char* name;
    bool withFiles;                     // a listing job; otherwise a loader without files
    std::optional<std::string> tmpdir;  // a folder that does not exist
    bool delivered;
    std::vector<std::string> statusLines;
    const char* message;  // the one message box, if any
  };
  const Case cases[] = {
      {"success",
       true,
       std::nullopt,
       true,
       {"Sending [List Files] to night...", "[List Files] completed successfully"},
       nullptr},
      {"generator failure",
       false,
       std::nullopt,
       false,
       {""},
       "KORAManage needs more information.\n\ntrmFOS.loadFilesList or trmFOS.printerFilesList"},
      {"no temporary file",
       true,
       missingFolder,
       false,
       {},
       "KORAManage cannot create the temporary file."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::optional<km_test::EnvOverride> tmpdir;
    if (c.tmpdir) tmpdir.emplace("TMPDIR", *c.tmpdir);
    auto* frame = new wxFrame(nullptr, wxID_ANY, "tasks");
    auto* bar = new RecordingStatusBar(frame);
    frame->SetStatusBar(bar);
    bar->SetStatusText("earlier line");
    bar->lines.clear();
    auto* page = new wxPanel(frame);
    frame->Show();

    bool busyWhileWriting = false;
    DialogRecorder recorder;
    const bool delivered =
        app::RunTask(page, "[List Files]", "\\\\\\night", [&](const trmVOS* vos) {
          busyWhileWriting = wxIsBusy();
          std::unique_ptr<trmFOS, FosDeleter> fos(trmNewFOS());
          return c.withFiles ? trmListPrinterFiles(fos.get(), vos)
                             : trmCreateFileLoader(fos.get(), vos);
        });

    EXPECT_EQ(delivered, c.delivered);
    EXPECT_EQ(busyWhileWriting, !c.tmpdir);
    EXPECT_FALSE(wxIsBusy());
    EXPECT_EQ(bar->lines, c.statusLines);
    if (c.message) {
      ASSERT_EQ(recorder.shown().size(), 1u);
      EXPECT_EQ(recorder.shown()[0].caption, "KORAManage");
      EXPECT_EQ(recorder.shown()[0].message, c.message);
      EXPECT_TRUE(recorder.shown()[0].style & wxICON_ERROR);
    } else {
      EXPECT_TRUE(recorder.shown().empty());
      SaveScreenshot(*bar, "task_runner_status_line");
    }
    frame->Destroy();
  }
}

}  // namespace
}  // namespace app_test
