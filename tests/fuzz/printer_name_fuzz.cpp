// Input: any bytes, taken once as a printer name from a job and once as a file name found in
// the flat folder. Checks the simulator's name rules against a reference written here (which
// keeps an accepted name inside the disk, a path ending at its first NUL), that an accepted
// name is one file in the flat folder, and that flat names map back exactly.
#include <optional>

#include "fuzz_support.h"
#include "printer_name.h"

namespace {

constexpr std::size_t kLongestFileName = 255;
constexpr std::size_t kTempSuffix = 7;  // ".kmpart"

// Relative, no NUL, non-empty parts other than "." and "..", not under ".kmsim".
bool ReferenceStorable(std::string_view name) {
  if (name.empty() || name.find('\0') != std::string_view::npos) return false;
  for (std::size_t start = 0, i = 0; i <= name.size(); ++i) {
    if (i < name.size() && name[i] != '/') continue;
    const std::string_view part = name.substr(start, i - start);
    if (part.empty() || part == "." || part == ".." || (start == 0 && part == ".kmsim")) {
      return false;
    }
    start = i + 1;
  }
  return true;
}

// "/", "%" and NUL are escaped as %2F, %25 and %00.
std::size_t FlatLength(std::string_view name) {
  std::size_t length = 0;
  for (char c : name) length += c == '/' || c == '%' || c == '\0' ? 3 : 1;
  return length;
}

// The one spelling of a name as a flat name: only %2F, %25 and %00, and nothing that
// should have been escaped. Nothing for any other text.
std::optional<std::string> ReferenceDecode(std::string_view flat) {
  std::string name;
  for (std::size_t i = 0; i < flat.size(); ++i) {
    if (flat[i] == '/' || flat[i] == '\0') return std::nullopt;
    if (flat[i] != '%') {
      name.push_back(flat[i]);
      continue;
    }
    const std::string_view code = flat.substr(i + 1, 2);
    if (code != "2F" && code != "25" && code != "00") return std::nullopt;
    name.push_back(code == "2F" ? '/' : code == "25" ? '%' : '\0');
    i += 2;
  }
  return name;
}

void CheckAsPrinterName(std::string_view name) {
  const bool storable = ReferenceStorable(name);
  fuzz::Check(kmsim::IsStorableName(name) == storable);
  const bool fits = FlatLength(name) + kTempSuffix <= kLongestFileName;
  const std::optional<std::string> flat = kmsim::FlatName(name);
  fuzz::Check(flat.has_value() == (storable && fits));
  if (!flat) return;

  // One file directly in the flat folder (a path ends at its first NUL), its temporary too.
  fuzz::Check(!flat->empty() && *flat != "." && *flat != ".." &&
              flat->find_first_of(std::string_view("/\0", 2)) == std::string::npos &&
              flat->size() + kTempSuffix <= kLongestFileName);
  fuzz::Check(kmsim::NameOfFlat(*flat) == name &&
              kmsim::NameOfFlat(*flat + ".kmpart") == std::string(name) + ".kmpart");
}

void CheckAsFlatName(std::string_view flat) {
  const std::optional<std::string> decoded = ReferenceDecode(flat);
  const bool expected = decoded && ReferenceStorable(*decoded) && flat.size() <= kLongestFileName;
  const std::optional<std::string> name = kmsim::NameOfFlat(flat);
  fuzz::Check(name.has_value() == expected);
  if (!name) return;
  fuzz::Check(*name == *decoded);
  // Names short enough come back to the same flat name; longer ones only as temporary files.
  const std::optional<std::string> again = kmsim::FlatName(*name);
  fuzz::Check(flat.size() + kTempSuffix <= kLongestFileName ? again == flat : !again);
}

void CheckReportEscape(std::string_view text) {
  const std::string line = kmsim::ReportEscape(text);
  std::string back;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    fuzz::Check(c >= '!' && c <= '~');
    if (c != '%') {
      back.push_back(c);
      continue;
    }
    fuzz::Check(i + 2 < line.size());
    back.push_back(static_cast<char>(std::stoi(line.substr(i + 1, 2), nullptr, 16)));
    i += 2;
  }
  fuzz::Check(back == text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input = fuzz::Text(data, size);
  CheckAsPrinterName(input);
  CheckAsFlatName(input);
  CheckReportEscape(input);
  return 0;
}
