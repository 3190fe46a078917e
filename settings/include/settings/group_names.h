#pragma once
// The naming rules of printer groups, kept in one place so the dialog, the command line and
// delivery refuse the same names, with the same messages.

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace settings {

inline constexpr std::size_t kMaxGroupNameLength = 32;

enum class GroupNameCheck {
  kAccepted,
  kEmpty,         // dropped without a message
  kTooLong,       // more than 32 characters
  kPrinterName,   // equals an installed printer, letter case ignored
  kExists,        // equals an existing group, letter case ignored
  kBadCharacter,  // anything but 0-9, a-z, A-Z and "_"
};

struct GroupNameResult {
  GroupNameCheck check = GroupNameCheck::kEmpty;
  std::string name;  // the typed name without trailing white space
};

using PrinterNamePredicate = std::function<bool(const std::string&)>;

// The first naming rule a typed name breaks, in the order of GroupNameCheck (groups: the
// existing group names), or kAccepted; with the trimmed name. Never reads the settings file.
GroupNameResult CheckGroupName(const std::string& typed, const std::vector<std::string>& groups,
                               const PrinterNamePredicate& isInstalledPrinter);
// The rules that hold for any group name, new or stored: empty, length, characters.
GroupNameResult CheckGroupNameSyntax(const std::string& typed);

// The refusal message for a check (empty for kAccepted and kEmpty).
std::string GroupNameMessage(const GroupNameResult& result);

}  // namespace settings
