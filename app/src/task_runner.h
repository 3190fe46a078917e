#pragma once
// Running a task from the GUI: the shared task sequence with a busy cursor, the status bar
// line of the main window and message boxes.

#include <wx/window.h>

#include <functional>
#include <string>

#include "trm.h"

namespace app {

// Writes the job through writeJob (which gets the output record), delivers it to destination
// and reports to the user; true when the job was delivered.
bool RunTask(wxWindow* parent, const std::string& documentName, const std::string& destination,
             const std::function<int(const trmVOS*)>& writeJob);

}  // namespace app
