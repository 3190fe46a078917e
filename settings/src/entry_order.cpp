#include "entry_order.h"

#include <wx/arrstr.h>
#include <wx/confbase.h>
#include <wx/log.h>
#include <wx/tokenzr.h>

#include <algorithm>
#include <set>

namespace settings {

namespace {

// A backslash takes the next character literally, in names and in group headers alike.
wxString Unescaped(const wxString& text) {
  wxString plain;
  for (auto c = text.begin(); c != text.end(); ++c) {
    if (*c == '\\' && ++c == text.end()) break;
    plain += *c;
  }
  return plain;
}

wxArrayString PathParts(const wxString& path) {
  // A header with a surplus ".." was already reported when the file was read.
  const wxLogNull quiet;
  wxArrayString parts;
  wxSplitPath(parts, path);
  return parts;
}

bool SamePath(const wxArrayString& a, const wxArrayString& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](const wxString& x, const wxString& y) { return x.IsSameAs(y, false); });
}

bool IsBlank(wxUniChar c) {
  return wxIsspace(c) != 0;
}

// The group a header line opens, or nothing when the line is no complete header.
bool HeaderPath(const wxString& line, wxString::const_iterator start, wxArrayString& path) {
  auto end = start + 1;
  while (end != line.end() && *end != ']') {
    if (*end == '\\' && ++end == line.end()) break;
    ++end;
  }
  if (end == line.end()) return false;
  path = PathParts("/" + Unescaped(wxString(start + 1, end)));
  return true;
}

// The entry name a line defines, or nothing for a line without "=" after its name.
bool EntryName(const wxString& line, wxString::const_iterator start, wxString& name) {
  auto end = start;
  while (end != line.end() && *end != '=') {
    if (*end == '\\' && ++end == line.end()) break;
    ++end;
  }
  wxString raw(start, end);
  name = Unescaped(raw.Trim(true));
  // A leading "!" marks an entry the user may not change; it is no part of the name.
  if (name.StartsWith("!")) name.erase(0, 1);
  end = std::find_if_not(end, line.end(), IsBlank);
  return end != line.end() && *end == '=';
}

}  // namespace

std::vector<wxString> EntryNamesInLineOrder(const wxString& text, const wxString& groupPath) {
  const wxArrayString wanted = PathParts(groupPath);
  bool inGroup = wanted.empty();
  std::vector<wxString> names;
  std::set<wxString> seen;  // lower case
  wxStringTokenizer lines(text, "\n", wxTOKEN_RET_EMPTY_ALL);
  while (lines.HasMoreTokens()) {
    const wxString line = lines.GetNextToken();
    const auto start = std::find_if_not(line.begin(), line.end(), IsBlank);
    if (start == line.end() || *start == ';' || *start == '#') continue;
    wxArrayString header;
    wxString name;
    if (*start == '[') {
      if (HeaderPath(line, start, header)) inGroup = SamePath(header, wanted);
    } else if (inGroup && EntryName(line, start, name) && seen.insert(name.Lower()).second) {
      names.push_back(name);
    }
  }
  return names;
}

}  // namespace settings
