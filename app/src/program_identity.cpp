#include "program_identity.h"

#include <wx/intl.h>

namespace app {
namespace {

wxString& KeptNoPrintersText() {
  static wxString text = "[No Printers Available]";
  return text;
}

}  // namespace

void KeepNoPrintersText() {
  KeptNoPrintersText() = _("[No Printers Available]");
}

const wxString& NoPrintersText() {
  return KeptNoPrintersText();
}

}  // namespace app
