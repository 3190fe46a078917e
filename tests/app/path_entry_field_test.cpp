#include "path_entry_field.h"

#include <gtest/gtest.h>
#include <wx/dnd.h>
#include <wx/frame.h>

#include <optional>
#include <string>
#include <utility>

#include "app_fixture.h"

namespace app_test {
namespace {

using Field = app::PathEntryField;
using PathEntryFieldTest = AppTest;

TEST_F(PathEntryFieldTest, EnterWithTextAndBrowseAnnounceAPathDropDoesNotBrowseRemembers) {
  std::optional<app::PathChoice> answer;  // the chooser's
  std::string starts;                     // where the chooser was asked to start
  int events = 0;                         // chosen-path events that reached the frame
  // A field in a frame, with an empty settings file.
  const auto make = [&](bool chooseDirectory, bool rememberFile) -> Field& {
    Install("width=620\n");
    starts.clear();
    auto* frame = new wxFrame(nullptr, wxID_ANY, "owner");
    frame->Bind(app::PathChosenEvent, [&](wxCommandEvent& event) {
      EXPECT_EQ(event.GetId(), 7);
      ++events;
    });
    auto* field = new Field(frame, 7, "caption", "", "lastSubDir", "title", "*.*", chooseDirectory,
                            rememberFile);
    field->SetChooser([&](const app::PathChoiceRequest& request) {
      starts += request.startDirectory.utf8_string() + ";";
      return answer;
    });
    return *field;
  };
  // The chosen-path events since the last call, once queued events have arrived.
  const auto arrived = [&] {
    wxTheApp->ProcessPendingEvents();
    return std::exchange(events, 0);
  };
  const auto send = [&](wxWindow& target, wxEventType type, int id) {
    wxCommandEvent event(type, id);
    target.GetEventHandler()->ProcessEvent(event);
    return arrived();
  };

  Field& dropped = make(false, false);
  wxWindow& text = *dropped.FindWindow(Field::kTextId);
  EXPECT_EQ(send(text, wxEVT_TEXT_ENTER, Field::kTextId), 0);
  const char* files[] = {"/a/one.ps", "/a/two.ps", "/a/three.ps"};
  auto& drop = dynamic_cast<wxFileDropTarget&>(*dropped.GetDropTarget());
  EXPECT_TRUE(drop.OnDropFiles(0, 0, wxArrayString(3, files)));
  EXPECT_EQ(dropped.GetPath(), "/a/one.ps");
  EXPECT_EQ(arrived(), 0);
  EXPECT_EQ(send(text, wxEVT_TEXT_ENTER, Field::kTextId), 1);

  const struct {
    bool chooseDirectory, rememberFile;
    const char *stored, *nextStart;
  } cases[] = {{false, false, "/data/jobs", "/data/jobs"},
               {false, true, "/data/jobs/a.kpf", "/data/jobs"},
               {true, false, "/data/jobs/a.kpf", "/data/jobs/a.kpf"}};
  for (const auto& c : cases) {
    Field& field = make(c.chooseDirectory, c.rememberFile);
    answer.reset();  // cancelled: nothing changes
    EXPECT_EQ(send(field, wxEVT_BUTTON, Field::kBrowseId), 0);
    EXPECT_EQ(field.GetPath() + Installed(), "width=620\n");
    answer = app::PathChoice{"/data/jobs/a.kpf", "/data/jobs"};
    EXPECT_EQ(send(field, wxEVT_BUTTON, Field::kBrowseId), 1);
    EXPECT_EQ(field.GetPath(), "/data/jobs/a.kpf");
    EXPECT_EQ(Installed(), std::string("width=620\nlastSubDir=") + c.stored + "\n");
    send(field, wxEVT_BUTTON, Field::kBrowseId);
    EXPECT_EQ(starts, std::string(";;") + c.nextStart + ";");
  }
}

}  // namespace
}  // namespace app_test
