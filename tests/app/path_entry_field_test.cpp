#include "path_entry_field.h"

#include <gtest/gtest.h>
#include <wx/dnd.h>
#include <wx/frame.h>

#include <string>
#include <vector>

#include "app_fixture.h"

namespace app_test {
namespace {

constexpr int kFieldId = 402;

class PathEntryFieldTest : public AppTest {
 protected:
  PathEntryFieldTest() { Install("width=620\n"); }

  // A field in a frame that counts the events reaching the frame.
  app::PathEntryField* Make(bool chooseDirectory, bool rememberFile) {
    auto* frame = new wxFrame(nullptr, wxID_ANY, "owner");
    frame->Bind(app::PathChosenEvent, [this](wxCommandEvent& event) {
      EXPECT_EQ(event.GetId(), kFieldId);
      ++events_;
    });
    auto* field = new app::PathEntryField(frame, kFieldId, "caption", "", "lastSubDir", "title",
                                          "All Files (*.*)|*.*", chooseDirectory, rememberFile);
    field->SetChooser([this](const app::PathChoiceRequest& request) {
      starts_.push_back(request.startDirectory.utf8_string());
      return answer_;
    });
    return field;
  }
  int Events() {
    wxTheApp->ProcessPendingEvents();
    return events_;
  }
  static void Press(wxWindow* target, wxEventType type, int id) {
    wxCommandEvent event(type, id);
    event.SetEventObject(target);
    target->GetEventHandler()->ProcessEvent(event);
  }

  std::optional<app::PathChoice> answer_;
  std::vector<std::string> starts_;
  int events_ = 0;
};

TEST_F(PathEntryFieldTest, EnterPostsOnlyWithText) {
  app::PathEntryField* field = Make(false, false);
  wxWindow* text = field->FindWindow(app::PathEntryField::kTextId);
  ASSERT_NE(text, nullptr);
  Press(text, wxEVT_TEXT_ENTER, app::PathEntryField::kTextId);
  EXPECT_EQ(Events(), 0);
  field->SetPath("/data/job.kpf");
  EXPECT_EQ(Events(), 0);
  Press(text, wxEVT_TEXT_ENTER, app::PathEntryField::kTextId);
  EXPECT_EQ(Events(), 1);
}

TEST_F(PathEntryFieldTest, DropFillsTheFirstFileQuietly) {
  app::PathEntryField* field = Make(false, false);
  auto* drop = dynamic_cast<wxFileDropTarget*>(field->GetDropTarget());
  ASSERT_NE(drop, nullptr);
  EXPECT_TRUE(drop->OnDropFiles(0, 0, wxArrayString()));
  EXPECT_EQ(field->GetPath(), "");
  wxArrayString files;
  for (const char* name : {"/a/one.ps", "/a/two.ps", "/a/three.ps"}) files.Add(name);
  EXPECT_TRUE(drop->OnDropFiles(0, 0, files));
  EXPECT_EQ(field->GetPath(), "/a/one.ps");
  EXPECT_EQ(Events(), 0);
  EXPECT_EQ(Installed(), "width=620\n");
}

TEST_F(PathEntryFieldTest, BrowseRemembersItsPlace) {
  struct Case {
    bool chooseDirectory;
    bool rememberFile;
    const char* stored;
    const char* nextStart;
  };
  const Case cases[] = {
      {false, false, "/data/jobs", "/data/jobs"},
      {false, true, "/data/jobs/a.kpf", "/data/jobs"},
      {true, false, "/data/jobs/a.kpf", "/data/jobs/a.kpf"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.stored);
    Install("width=620\n");
    starts_.clear();
    events_ = 0;
    app::PathEntryField* field = Make(c.chooseDirectory, c.rememberFile);

    answer_.reset();
    Press(field, wxEVT_BUTTON, app::PathEntryField::kBrowseId);
    EXPECT_EQ(field->GetPath(), "");
    EXPECT_EQ(Installed(), "width=620\n");
    EXPECT_EQ(Events(), 0);

    answer_ = app::PathChoice{"/data/jobs/a.kpf", "/data/jobs"};
    Press(field, wxEVT_BUTTON, app::PathEntryField::kBrowseId);
    EXPECT_EQ(field->GetPath(), "/data/jobs/a.kpf");
    EXPECT_EQ(Installed(), std::string("width=620\nlastSubDir=") + c.stored + "\n");
    EXPECT_EQ(Events(), 1);

    Press(field, wxEVT_BUTTON, app::PathEntryField::kBrowseId);
    EXPECT_EQ(starts_, (std::vector<std::string>{"", "", c.nextStart}));
    EXPECT_EQ(Events(), 2);
  }
}

}  // namespace
}  // namespace app_test
