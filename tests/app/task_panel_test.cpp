// The task panel against the private print server's queues: the destination list, the last
// choice restored, and page switching.
#include "task_panel.h"

#include <gtest/gtest.h>
#include <wx/frame.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "app_fixture.h"

namespace app_test {
namespace {

class TaskPanelTest : public AppTest {
 protected:
  app::TaskPanel& NewPanel(const std::string& lastPrinter) {
    // "km_ps_two" is named like a printer and so is not offered as a group.
    Install("lastPrinter=" + lastPrinter + "\n[printer-groups]\nnight=\nkm_ps_two=\nday=\n");
    return *new app::TaskPanel(new wxFrame(nullptr, wxID_ANY, "panel"));
  }
};

TEST_F(TaskPanelTest, ListsPrintersAndGroupsAndRestoresTheLastChoice) {
  // The standard queues that pass PostScript through and are not pseudo-printers.
  const std::vector<std::string> expected = {
      "\\\\\\day", "\\\\\\night", "km_passthrough",   "km_pcl_ps_name", "km_pdf_converter_lower",
      "km_ps_one", "km_ps_two",   "km_raw_described", "km_rejecting",   "km_stopped"};
  const std::pair<const char*, const char*> cases[] = {// stored, selected (null: the first)
                                                       {"km_ps_two", "km_ps_two"},
                                                       {"night", "\\\\\\night"},
                                                       {"gone", nullptr}};
  for (const auto& [stored, selected] : cases) {
    app::TaskPanel& panel = NewPanel(stored);
    std::vector<std::string> items;
    for (const wxString& item : panel.destination()->GetStrings()) {
      items.push_back(item.utf8_string());
    }
    std::sort(items.begin(), items.end());
    EXPECT_EQ(items, expected) << panel.destinationError();
    EXPECT_EQ(panel.GetDestination(),
              selected ? selected : panel.destination()->GetString(0).utf8_string());
  }
}

TEST_F(TaskPanelTest, ShowsExactlyThePageOfTheSelectedTask) {
  app::TaskPanel& panel = NewPanel("");
  panel.GetParent()->Show();
  // A click arrives as a selection event; 7 stands for the start, shown without one.
  for (int index : {7, 3, 6, 0}) {
    if (index < app::kTaskCount) {
      wxListEvent click(wxEVT_LIST_ITEM_SELECTED, panel.taskList()->GetId());
      click.SetIndex(index);
      panel.taskList()->GetEventHandler()->ProcessEvent(click);
    }
    const int expected = index % app::kTaskCount;
    EXPECT_EQ(panel.currentTask(), expected);
    for (int i = 0; i < app::kTaskCount; ++i) {
      EXPECT_EQ(panel.page(i)->IsShown(), i == expected) << index << " " << i;
    }
  }
}

}  // namespace
}  // namespace app_test
