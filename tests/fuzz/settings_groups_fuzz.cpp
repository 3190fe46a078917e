// Any bytes as a settings file: listing the printer groups never crashes and names each group
// once (letter case aside, as the file's reader ignores it).
#include <wx/debug.h>
#include <wx/init.h>
#include <wx/log.h>

#include <set>

#include "fuzz_support.h"
#include "platform/ascii_case.h"
#include "settings/printer_group_store.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  static wxInitializer wx;
  static wxLogNull quiet;  // complaints about broken lines are expected here
  // wx's own debug checks fire on some legal files (a section given twice); they only print.
  wxDisableAsserts();
  return wx.IsOk() ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size > 64 * 1024) return 0;
  const fuzz::fs::path file = fuzz::PrivateFolder() / "settings";
  fuzz::WriteFile(file, fuzz::Text(data, size));
  std::string error;
  std::set<std::string> seen;
  for (const std::string& group : settings::ListGroups(file.string(), &error)) {
    fuzz::Check(seen.insert(platform::AsciiLower(group)).second);
  }
  return 0;
}
