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

#include "app_fixture.h"
#include "dialog_recorder.h"
#include "window_shot.h"

namespace app_test {
namespace {

// Keeps every line the status bar showed, the passing ones too.
class RecordingStatusBar : public wxStatusBar {
 public:
  explicit RecordingStatusBar(wxWindow* parent) : wxStatusBar(parent) {}
  std::string lines;

 protected:
  void DoUpdateStatusText(int field) override {
    lines += GetStatusText(field).utf8_string() + "|";
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
  const struct {
    bool withFiles;       // a listing job; otherwise a loader without files
    bool noTemporary;     // TMPDIR names a folder that does not exist
    const char* lines;    // every status line shown, each followed by '|'
    std::string message;  // the one message box; none when empty
  } cases[] = {
      {true, false, "Sending [List Files] to night...|[List Files] completed successfully|", ""},
      {false, false, "|",
       "KORAManage needs more information.\n\ntrmFOS.loadFilesList or trmFOS.printerFilesList"},
      {true, true, "", "KORAManage cannot create the temporary file."},
  };
  auto* frame = new wxFrame(nullptr, wxID_ANY, "tasks");
  auto* bar = new RecordingStatusBar(frame);
  frame->SetStatusBar(bar);
  auto* page = new wxPanel(frame);  // tasks run from a page inside the frame
  frame->Show();
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    std::optional<km_test::EnvOverride> tmpdir;
    if (c.noTemporary) tmpdir.emplace("TMPDIR", (root() / "none").string());
    bar->lines.clear();
    bool busyWhileWriting = false;
    DialogRecorder recorder;
    const bool delivered =
        app::RunTask(page, "[List Files]", "\\\\\\night", [&](const trmVOS* vos) {
          busyWhileWriting = wxIsBusy();
          std::unique_ptr<trmFOS, decltype(&trmFreeFOS)> fos(trmNewFOS(), &trmFreeFOS);
          return c.withFiles ? trmListPrinterFiles(fos.get(), vos)
                             : trmCreateFileLoader(fos.get(), vos);
        });

    EXPECT_EQ(delivered, c.message.empty());
    EXPECT_EQ(busyWhileWriting, !c.noTemporary);
    EXPECT_FALSE(wxIsBusy());
    EXPECT_EQ(bar->lines, c.lines);
    ASSERT_EQ(recorder.shown().size(), c.message.empty() ? 0u : 1u);
    if (c.message.empty()) {
      SaveScreenshot(*bar, "task_runner_status_line");
      continue;
    }
    EXPECT_EQ(recorder.shown()[0].caption + ": " + recorder.shown()[0].message,
              "KORAManage: " + c.message);
    EXPECT_TRUE(recorder.shown()[0].style & wxICON_ERROR);
  }
}

}  // namespace
}  // namespace app_test
