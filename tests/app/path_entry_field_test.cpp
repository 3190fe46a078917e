#include "path_entry_field.h"

#include <gtest/gtest.h>
#include <wx/dnd.h>
#include <wx/frame.h>

#include <string>
#include <vector>

#include "app_fixture.h"

namespace app_test {
namespace {

using Field = app::PathEntryField;
constexpr int kFieldId = 402;

class PathEntryFieldTest : public AppTest {
 protected:
  // A field whose chooser gives answer_, in a frame that counts the chosen-path events.
  Field* Make(bool chooseDirectory, bool rememberFile) {
    Install("width=620\n");
    starts_.clear();
    events_ = 0;
    auto* frame = new wxFrame(nullptr, wxID_ANY, "owner");
    frame->Bind(app::PathChosenEvent, [this](wxCommandEvent& event) {
      EXPECT_EQ(event.GetId(), kFieldId);
      ++events_;
    });
    auto* field = new Field(frame, kFieldId, "caption", "", "lastSubDir", "title", "*.*",
                            chooseDirectory, rememberFile);
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
  static void Send(wxWindow* target, wxEventType type, int id) {
    wxCommandEvent event(type, id);
    target->GetEventHandler()->ProcessEvent(event);
  }

  std::optional<app::PathChoice> answer_;
  std::vector<std::string> starts_;
  int events_ = 0;
};

TEST_F(PathEntryFieldTest, OnlyEnterWithTextAnnouncesAPathDroppedOrSet) {
  Field* field = Make(false, false);
  auto* drop = dynamic_cast<wxFileDropTarget*>(field->GetDropTarget());
  ASSERT_NE(drop, nullptr);
  wxWindow* text = field->FindWindow(Field::kTextId);
  Send(text, wxEVT_TEXT_ENTER, Field::kTextId);
  EXPECT_TRUE(drop->OnDropFiles(0, 0, wxArrayString()));
  EXPECT_EQ(field->GetPath(), "");
  const char* files[] = {"/a/one.ps", "/a/two.ps"};
  EXPECT_TRUE(drop->OnDropFiles(0, 0, wxArrayString(2, files)));
  EXPECT_EQ(field->GetPath(), "/a/one.ps");
  field->SetPath("/data/job.kpf");
  EXPECT_EQ(Events(), 0);
  Send(text, wxEVT_TEXT_ENTER, Field::kTextId);
  EXPECT_EQ(Events(), 1);
  EXPECT_EQ(Installed(), "width=620\n");
}

TEST_F(PathEntryFieldTest, BrowseStartsWhereTheLastChoiceWasRemembered) {
  const struct {
    bool chooseDirectory, rememberFile;
    const char *stored, *nextStart;
  } cases[] = {{false, false, "/data/jobs", "/data/jobs"},
               {false, true, "/data/jobs/a.kpf", "/data/jobs"},
               {true, false, "/data/jobs/a.kpf", "/data/jobs/a.kpf"}};
  for (const auto& c : cases) {
    Field* field = Make(c.chooseDirectory, c.rememberFile);
    answer_.reset();  // cancelled: nothing changes
    Send(field, wxEVT_BUTTON, Field::kBrowseId);
    EXPECT_EQ(field->GetPath() + Installed(), "width=620\n");
    answer_ = app::PathChoice{"/data/jobs/a.kpf", "/data/jobs"};
    Send(field, wxEVT_BUTTON, Field::kBrowseId);
    Send(field, wxEVT_BUTTON, Field::kBrowseId);
    EXPECT_EQ(field->GetPath(), "/data/jobs/a.kpf");
    EXPECT_EQ(Installed(), std::string("width=620\nlastSubDir=") + c.stored + "\n");
    EXPECT_EQ(starts_, (std::vector<std::string>{"", "", c.nextStart}));
    EXPECT_EQ(Events(), 2);
  }
}

}  // namespace
}  // namespace app_test
