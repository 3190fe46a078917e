// Any bytes as a settings file: listing the printer groups never crashes and names each group
// once (letter case aside, as the file's reader ignores it).

#include <unistd.h>
#include <wx/debug.h>
#include <wx/init.h>
#include <wx/log.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "platform/ascii_case.h"
#include "settings/printer_group_store.h"

namespace {

const std::string& SettingsPath() {
  static const std::string path =
      (std::filesystem::temp_directory_path() / ("km-fuzz-settings-" + std::to_string(getpid())))
          .string();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static wxInitializer wx;
  static wxLogNull quiet;  // complaints about broken lines are expected here
  // wx's own debug checks fire on some legal files (a section given twice); they only print.
  wxDisableAsserts();
  SettingsPath();  // built before the handler below, so destroyed after it ran
  std::atexit([] { std::filesystem::remove(SettingsPath()); });
  return wx.IsOk() ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 64 * 1024) return 0;
  std::ofstream(SettingsPath(), std::ios::binary | std::ios::trunc)
      .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
  std::string error;
  const auto groups = settings::ListGroups(SettingsPath(), &error);
  std::set<std::string> seen;
  for (const std::string& group : groups) {
    if (!seen.insert(platform::AsciiLower(group)).second) std::abort();
  }
  return 0;
}
