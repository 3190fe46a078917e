#include "status_message.h"

#include <wx/intl.h>

namespace app {
namespace {

struct StatusText {
  int code;
  const char* text;
  bool withDetail;
};

// wxTRANSLATE marks the texts for the catalogue; they are looked up when shown.
constexpr StatusText kStatusTexts[] = {
    {1002, wxTRANSLATE("KORAManage cannot overwrite the temporary file."), true},
    {1003, wxTRANSLATE("KORAManage cannot locate the source file."), true},
    {1004, wxTRANSLATE("KORAManage cannot access the file."), true},
    {1005, wxTRANSLATE("KORAManage cannot write to the file."), true},
    {1006, wxTRANSLATE("TRMSDK is not started."), false},
    {1007, wxTRANSLATE("TRMSDK is already started."), false},
    {1008, wxTRANSLATE("TRMSDK is already terminated."), false},
    {1009, wxTRANSLATE("KORAManage cannot locate the project."), true},
    {1010, wxTRANSLATE("KORAManage cannot open the project."), true},
    {1011, wxTRANSLATE("KORAManage cannot parse the file."), true},
    {1012, wxTRANSLATE("KORAManage cannot read the file."), true},
    {1013, wxTRANSLATE("No project resources match the selection criteria."), false},
    {1014, wxTRANSLATE("KORAManage cannot find the Tessel Compose installation."), false},
    {1015, wxTRANSLATE("KORAManage cannot find the submission file."), true},
    {1016, wxTRANSLATE("KORAManage cannot process the project."), false},
    {1017, wxTRANSLATE("KORAManage needs more information."), true},
    {1018, wxTRANSLATE("KORAManage cannot convert the local path to the printer path."), false},
    {1019, wxTRANSLATE("KORAManage cannot obtain the font name."), true},
    {1020, wxTRANSLATE("KORAManage only works with projects of type KORA."), false},
    {1022,
     wxTRANSLATE("A printable container cannot be generated because this project contains PDF "
                 "files as resources of type \"seg\"."),
     false},
    {1023, wxTRANSLATE("A file is too large for KORAManage to process."), true},
};

}  // namespace

wxString StatusMessage(int code, const char* detail) {
  for (const StatusText& entry : kStatusTexts) {
    if (entry.code != code) continue;
    wxString message = wxGetTranslation(entry.text);
    if (entry.withDetail && detail && *detail) message += "\n\n" + wxString::FromUTF8(detail);
    return message;
  }
  return _("KORAManage encounters a problem.");
}

}  // namespace app
