#include "destination_choice.h"

#include <wx/arrstr.h>
#include <wx/utils.h>

#include <vector>

#include "printing/destinations.h"

namespace app {

std::string RefreshDestinationList(wxChoice& destination) {
  wxBusyCursor busy;
  const wxString previous = destination.GetStringSelection();
  std::string error;
  const std::vector<std::string> items = printing::DestinationList({}, &error);
  wxArrayString texts;
  texts.reserve(items.size());
  for (const std::string& item : items) texts.push_back(wxString::FromUTF8(item));
  destination.Set(texts);
  if (destination.IsEmpty()) return error;
  // The choice sorts its items, so "first" is the one the user sees at the top.
  const int kept = previous.empty() ? wxNOT_FOUND : destination.FindString(previous, true);
  destination.SetSelection(kept != wxNOT_FOUND ? kept : 0);
  return error;
}

void SelectDestination(wxChoice& destination, const wxString& name) {
  int item = destination.FindString(name, true);
  if (item == wxNOT_FOUND) {
    item = destination.FindString(
        wxString::FromUTF8(printing::GroupDestination(name.utf8_string())), true);
  }
  if (item == wxNOT_FOUND && destination.IsEmpty()) return;
  destination.SetSelection(item != wxNOT_FOUND ? item : 0);
}

}  // namespace app
