#include "program_identity.h"

#include <wx/intl.h>

#include "printing/printer_list.h"

namespace app {
namespace {

wxString& KeptNoPrintersText() {
  static wxString text = "[No Printers Available]";
  return text;
}

}  // namespace

void KeepNoPrintersText() {
  KeptNoPrintersText() = _("[No Printers Available]");
  // The printer list holds the same text, so a selection can be compared with it.
  printing::SetNoPrinterText(KeptNoPrintersText().utf8_string());
}

const wxString& NoPrintersText() {
  return KeptNoPrintersText();
}

}  // namespace app
