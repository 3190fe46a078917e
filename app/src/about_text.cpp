#include "about_text.h"

#include <wx/intl.h>
#include <wx/utils.h>
#include <wx/versioninfo.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "program_identity.h"
#include "settings/settings_file.h"
#include "settings/settings_keys.h"
#include "tpsdk/tpsdk.h"
#include "trm.h"

namespace app {
namespace {

// The version of a local interpreter: the "%%Version:" line within the first 255 bytes of its
// prolog file; nothing when the file is shorter or has no such line.
std::string LocalInterpreterVersion(const std::filesystem::path& prolog) {
  constexpr std::size_t kHeadBytes = 255;
  std::ifstream in(prolog, std::ios::binary);
  std::string head(kHeadBytes, '\0');
  in.read(head.data(), static_cast<std::streamsize>(kHeadBytes));
  if (static_cast<std::size_t>(in.gcount()) != kHeadBytes) return {};
  const std::size_t marker = head.find("%%Version:");
  if (marker == std::string::npos) return {};
  // The marker and the blank after it.
  const std::size_t start = marker + 11;
  if (start >= head.size()) return {};
  std::string version = head.substr(start);
  version = version.substr(0, version.find('\n'));
  return version.substr(0, version.find('\r'));
}

wxString InterpreterLines() {
  const settings::SettingsFile file;
  bool useBuiltin = false;
  settings::ReadBool(file, settings::kUseBuiltin, useBuiltin);
  if (useBuiltin) {
    return _("Built-in Tessel Compose ") + wxString::FromUTF8(trmGetBuiltinKORAVersion()) + "\n\n";
  }
  std::string directory;
  if (!settings::ReadText(file, settings::kKoraCore, directory)) return {};
  const std::filesystem::path prolog = std::filesystem::path(directory) / "src" / "mtb.eeh";
  std::error_code error;
  if (!std::filesystem::is_regular_file(prolog, error)) return {};
  wxString lines = _("Tessel Compose Directory = ") + "\"" + wxString::FromUTF8(directory) + "\"\n";
  const std::string version = LocalInterpreterVersion(prolog);
  if (!version.empty()) lines += _("Tessel Compose ") + wxString::FromUTF8(version);
  return lines + "\n\n";
}

}  // namespace

wxString AboutText() {
  wxString text = wxString::Format(
      _("%s %s\nTessel Project resources management utility for remote printers.\n%s\n\n"), kTitle,
      kVersion, _(kNotice));
  text += InterpreterLines();
  text += wxString::FromUTF8(trmGetVersion());
  text += "\n";
  text += tpsdk::kTpsdkVersion;
  text += "\n";
  // The library actually loaded, not the one the program was built against.
  text += wxGetLibraryVersionInfo().GetVersionString();
  return text;
}

}  // namespace app
