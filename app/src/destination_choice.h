#pragma once
// The destination choice of the task panel, rebuilt from the print server and the stored
// printer groups.

#include <wx/choice.h>

#include <string>

namespace app {

// Rebuilds the list (printers, then each group behind the group prefix) under the busy
// cursor and selects the previous selection again, or else the item shown first (the choice
// sorts its items). Returns why the print server could not be asked, empty when it could; the
// list then holds the no-printer entry and the groups.
std::string RefreshDestinationList(wxChoice& destination);

// Selects the item equal to name, else the group item of that name, else the item shown first.
void SelectDestination(wxChoice& destination, const wxString& name);

}  // namespace app
