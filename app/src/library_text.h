#pragma once
// Texts that the libraries word (delivery reports, group store refusals) shown in the GUI.

#include <wx/string.h>

#include <string>

namespace app {

// The libraries word a message as a fixed text, then an empty line and the names concerned;
// the fixed text is what the catalogue holds, the names stay as they are.
wxString TranslatedLibraryText(const std::string& message);

}  // namespace app
