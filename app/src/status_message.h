#pragma once
// What the user reads when the job generator refuses a task.

#include <wx/string.h>

namespace app {

// The fixed text for a generator status code, translated; for codes whose detail names a file
// or a parameter, an empty line and the detail follow when there is one (detail may be null).
wxString StatusMessage(int code, const char* detail);

}  // namespace app
