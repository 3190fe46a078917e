// The task panel against the private print server's queues: what the destination list holds,
// which choices a new panel restores and saves, and page switching.
#include "task_panel.h"

#include <gtest/gtest.h>
#include <wx/frame.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app_fixture.h"
#include "settings/settings_file.h"
#include "task_page.h"

namespace app_test {
namespace {

// "km_ps_two" is named like a printer and so is not offered as a group.
constexpr char kGroups[] = "[printer-groups]\nnight=km_ps_one\nkm_ps_two=km_ps_one\nday=\n";

class TaskPanelTest : public AppTest {
 protected:
  app::TaskPanel& NewPanel(const std::string& settings) {
    Install(settings);
    auto* frame = new wxFrame(nullptr, wxID_ANY, "panel", wxDefaultPosition, wxSize(620, 732));
    return *new app::TaskPanel(frame);
  }
};

TEST_F(TaskPanelTest, ListsPrintersAndGroupsAndRestoresTheLastChoice) {
  // The standard queues that pass PostScript through and are not pseudo-printers.
  const std::vector<std::string> expected = {
      "\\\\\\day", "\\\\\\night", "km_passthrough",   "km_pcl_ps_name", "km_pdf_converter_lower",
      "km_ps_one", "km_ps_two",   "km_raw_described", "km_rejecting",   "km_stopped"};
  struct Case {
    const char* rootKeys;
    const char* destination;  // null: the item shown first is selected
    const char* label;
    bool statusPage;
  };
  const Case cases[] = {
      {"lastPrinter=km_ps_two\nstatusPage=1\n", "km_ps_two", "km_ps_two", true},
      {"lastPrinter=night\n", "\\\\\\night", "night", false},
      {"lastPrinter=gone\nstatusPage=0\n", nullptr, nullptr, false},
      {"", nullptr, nullptr, false},
  };
  for (const Case& c : cases) {
    app::TaskPanel& panel = NewPanel(std::string(c.rootKeys) + kGroups);
    std::vector<std::string> items;
    for (const wxString& item : panel.destination()->GetStrings()) {
      items.push_back(item.utf8_string());
    }
    std::sort(items.begin(), items.end());
    EXPECT_EQ(items, expected) << panel.destinationError();
    if (c.destination) {
      EXPECT_EQ(panel.GetDestination(), c.destination);
      EXPECT_EQ(panel.GetStatusLabel(), c.label);
    } else {
      EXPECT_EQ(panel.destination()->GetSelection(), 0) << c.rootKeys;
    }
    EXPECT_EQ(panel.GetStatusPage(), c.statusPage) << c.rootKeys;
    panel.GetParent()->Destroy();
  }
}

TEST_F(TaskPanelTest, SavesTheDestinationWithoutPrefixUnlessItIsTheNoPrinterEntry) {
  const std::pair<const char*, const char*> cases[] = {
      {"\\\\\\night", "lastPrinter=night\nstatusPage=1\n"},
      {"km_passthrough", "lastPrinter=km_passthrough\nstatusPage=1\n"},
      // What a print server without printers leaves selected (the real state: main_frame_test).
      {"[No Printers Available]", "lastPrinter=before\nstatusPage=1\n"},
  };
  for (const auto& [select, saved] : cases) {
    app::TaskPanel& panel = NewPanel(std::string("lastPrinter=before\n") + kGroups);
    if (panel.destination()->FindString(select, true) == wxNOT_FOUND) {
      panel.destination()->Append(select);
    }
    panel.destination()->SetStringSelection(select);
    panel.statusPage()->SetValue(true);
    settings::SettingsFile file;
    EXPECT_TRUE(panel.SaveChoices(file));
    ASSERT_TRUE(file.Flush()) << file.lastError();
    EXPECT_EQ(Installed(), std::string(saved) + kGroups) << select;
    panel.GetParent()->Destroy();
  }
}

TEST_F(TaskPanelTest, ShowsExactlyThePageOfTheSelectedTask) {
  app::TaskPanel& panel = NewPanel(kGroups);
  panel.GetParent()->Show();
  ASSERT_EQ(panel.taskList()->GetItemCount(), app::kTaskCount);
  for (int i = 0; i < app::kTaskCount; ++i) {
    EXPECT_EQ(panel.taskList()->GetItemText(i), app::Tasks()[i].label);
    wxListItem item;
    item.SetId(i);
    item.SetMask(wxLIST_MASK_IMAGE);
    EXPECT_TRUE(panel.taskList()->GetItem(item) && item.GetImage() == i) << i;
    EXPECT_EQ(panel.page(i)->FindWindow(app::kTaskHelpId)->GetToolTipText(),
              app::Tasks()[i].helpTip);
  }
  EXPECT_STREQ(app::Tasks()[4].helpTip, "Information about listing Tessel resources.");

  // A click arrives as a selection event; 7 stands for the start, shown without one.
  for (int index : {7, 3, 6, 6, 0}) {
    if (index < app::kTaskCount) {
      wxListEvent click(wxEVT_LIST_ITEM_SELECTED, panel.taskList()->GetId());
      click.SetEventObject(panel.taskList());
      click.SetIndex(index);
      panel.taskList()->GetEventHandler()->ProcessEvent(click);
    }
    const int expected = index % app::kTaskCount;
    EXPECT_EQ(panel.currentTask(), expected);
    for (int i = 0; i < app::kTaskCount; ++i) {
      // Only the shown page takes space in the layout.
      EXPECT_EQ(panel.page(i)->IsShown(), i == expected) << index << " " << i;
      EXPECT_EQ(panel.page(i)->GetContainingSizer() != nullptr, i == expected) << i;
    }
  }
  panel.GetParent()->SetSize(900, 1000);
  wxTheApp->ProcessIdle();
  EXPECT_EQ(panel.taskList()->GetColumnWidth(0), panel.taskList()->GetClientSize().GetWidth());
}

}  // namespace
}  // namespace app_test
