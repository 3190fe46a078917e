#pragma once
// The page of one task: what the task asks for and the information button that opens the
// task's help.

#include <wx/window.h>

namespace app {

// The information button of every page; its press reaches the task panel, which knows the
// current task.
inline constexpr int kTaskHelpId = 210;

// The page of task index (0-6) as a child of parent, hidden.
wxWindow* CreateTaskPage(wxWindow* parent, int index);

}  // namespace app
