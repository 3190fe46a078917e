#pragma once
// Where the entries of one group stand in a settings text. The configuration class hands its
// entries out sorted by name and keeps no place of its own that can be asked for; this reads
// the lines it holds with the rules it parses them by, so both agree on every escape.

#include <wx/string.h>

#include <vector>

namespace settings {

// Names of the entries of groupPath (an absolute path) in the order of their first line in
// text, which is what the configuration class writes back. A name appears once, as spelled on
// that line; letter case is ignored as the configuration class ignores it. Never fails: a line
// that is no entry of the group is passed over.
std::vector<wxString> EntryNamesInLineOrder(const wxString& text, const wxString& groupPath);

}  // namespace settings
