// Input: any bytes, taken once as a printer name from a job and once as a file name found in
// the flat folder. Checks the simulator's name rules against a reference written here, that an
// accepted name cannot leave the disk, neither in the flat folder nor in the folder view as the
// system reads it (a path ends at its first NUL), and that flat names map back exactly.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "printer_name.h"

namespace {

constexpr std::size_t kLongestFileName = 255;
constexpr std::size_t kTempSuffix = 7;  // ".kmpart"

std::vector<std::string_view> Parts(std::string_view name) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t i = 0; i <= name.size(); ++i) {
    if (i == name.size() || name[i] == '/') {
      parts.push_back(name.substr(start, i - start));
      start = i + 1;
    }
  }
  return parts;
}

// Relative, no NUL, non-empty parts other than "." and "..", not under ".kmsim".
bool ReferenceStorable(std::string_view name) {
  if (name.empty() || name.find('\0') != std::string_view::npos) return false;
  const std::vector<std::string_view> parts = Parts(name);
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (parts[i].empty() || parts[i] == "." || parts[i] == "..") return false;
    if (i == 0 && parts[i] == ".kmsim") return false;
  }
  return true;
}

bool Escaped(char c) {
  return c == '/' || c == '%' || c == '\0';
}

std::size_t FlatLength(std::string_view name) {
  std::size_t length = 0;
  for (char c : name) length += Escaped(c) ? 3 : 1;
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
    if (code == "2F") {
      name.push_back('/');
    } else if (code == "25") {
      name.push_back('%');
    } else if (code == "00") {
      name.push_back('\0');
    } else {
      return std::nullopt;
    }
    i += 2;
  }
  return name;
}

// What a system call sees of a path: the bytes before the first NUL.
std::string_view SystemView(std::string_view path) {
  return path.substr(0, path.find('\0'));
}

void CheckAsPrinterName(std::string_view name) {
  const bool storable = ReferenceStorable(name);
  if (kmsim::IsStorableName(name) != storable) std::abort();
  const bool fits = FlatLength(name) + kTempSuffix <= kLongestFileName;
  const std::optional<std::string> flat = kmsim::FlatName(name);
  if (flat.has_value() != (storable && fits)) std::abort();
  if (!flat) return;

  // One file directly in the flat folder, and its temporary file too.
  const std::string_view seen = SystemView(*flat);
  if (seen.size() != flat->size()) std::abort();
  if (flat->empty() || *flat == "." || *flat == ".." || flat->find('/') != std::string::npos) {
    std::abort();
  }
  if (flat->size() + kTempSuffix > kLongestFileName) std::abort();
  if (kmsim::NameOfFlat(*flat) != name) std::abort();
  if (kmsim::NameOfFlat(*flat + ".kmpart") != std::string(name) + ".kmpart") std::abort();

  // The folder view: a relative path below the disk root, outside kmsim's own folder.
  const std::string_view path = SystemView(name);
  if (path.empty() || path.front() == '/') std::abort();
  const std::vector<std::string_view> parts = Parts(path);
  for (std::string_view part : parts) {
    if (part.empty() || part == "." || part == "..") std::abort();
  }
  if (parts.front() == ".kmsim") std::abort();
  // Different names are different files there.
  if (path.size() != name.size()) std::abort();
}

void CheckAsFlatName(std::string_view flat) {
  const std::optional<std::string> decoded = ReferenceDecode(flat);
  const bool expected = decoded && ReferenceStorable(*decoded) && flat.size() <= kLongestFileName;
  const std::optional<std::string> name = kmsim::NameOfFlat(flat);
  if (name.has_value() != expected) std::abort();
  if (!name) return;
  if (*name != *decoded) std::abort();
  // Names short enough come back to the same flat name; longer ones only as temporary files.
  const std::optional<std::string> again = kmsim::FlatName(*name);
  if (flat.size() + kTempSuffix <= kLongestFileName) {
    if (again != flat) std::abort();
  } else if (again) {
    std::abort();
  }
}

void CheckReportEscape(std::string_view text) {
  const std::string line = kmsim::ReportEscape(text);
  std::string back;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c < '!' || c > '~') std::abort();
    if (c != '%') {
      back.push_back(c);
      continue;
    }
    if (i + 2 >= line.size()) std::abort();
    back.push_back(static_cast<char>(std::stoi(line.substr(i + 1, 2), nullptr, 16)));
    i += 2;
  }
  if (back != text) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  CheckAsPrinterName(input);
  CheckAsFlatName(input);
  CheckReportEscape(input);
  return 0;
}
