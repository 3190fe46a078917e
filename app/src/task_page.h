#pragma once
// The page of one task: what the task asks for, its Run button, and the information button
// that opens the task's help.

#include <wx/window.h>

namespace app {

// The page of task index (0-6) as a child of parent, hidden.
wxWindow* CreateTaskPage(wxWindow* parent, int index);

}  // namespace app
