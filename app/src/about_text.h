#pragma once
// The text of the About box: program, interpreter in use, libraries.

#include <wx/string.h>

namespace app {

// Reads useBuiltin and koraCore from the settings and, for a local interpreter, the version
// line of its prolog file.
wxString AboutText();

}  // namespace app
