#pragma once
// The destination choice of the task panel, rebuilt from the print server and the stored
// printer groups.

#include <wx/choice.h>

namespace app {

// Rebuilds the list (printers, then each group behind the group prefix) under the busy
// cursor and selects the previous selection again, or the first item.
void RefreshDestinationList(wxChoice& destination);

// Selects the item equal to name, else the group item of that name, else the first item.
void SelectDestination(wxChoice& destination, const wxString& name);

}  // namespace app
