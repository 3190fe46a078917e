#pragma once
// Printer file names on the simulated disk: which names a disk can hold, and the flat file
// name that stands for each (the same rules as the preamble that Ghostscript runs).

#include <optional>
#include <string>
#include <string_view>

namespace kmsim {

// kmsim's own folder inside the disk folder; no printer name may start with it.
inline constexpr std::string_view kPrivateFolder = ".kmsim";

// A name the disk can hold: relative, no NUL, "/" between non-empty parts, no "." or ".." part,
// not inside kPrivateFolder, and short enough for one file name with a temporary suffix.
bool IsStorableName(std::string_view name);

// "/", "%" and NUL become %2F, %25 and %00. Nothing when the name is not storable.
std::optional<std::string> FlatName(std::string_view name);

// The inverse of FlatName; nothing for a flat name that FlatName cannot have made.
std::optional<std::string> NameOfFlat(std::string_view flat);

// For report lines: bytes outside "!".."~" and "%" itself become %XX.
std::string ReportEscape(std::string_view text);

}  // namespace kmsim
