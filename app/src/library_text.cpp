#include "library_text.h"

#include <wx/intl.h>

namespace app {

wxString TranslatedLibraryText(const std::string& message) {
  const std::size_t names = message.find("\n\n");
  if (names == std::string::npos) return wxGetTranslation(wxString::FromUTF8(message));
  return wxGetTranslation(wxString::FromUTF8(message.substr(0, names))) +
         wxString::FromUTF8(message.substr(names));
}

}  // namespace app
