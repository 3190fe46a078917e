#pragma once
// Printer groups as stored in the settings file: one entry per group under "/printer-groups",
// value = member printer names joined by ",". The naming rules live here so the dialog, the
// command line and delivery refuse the same names; no name that breaks them ever reaches the
// settings file.

#include <functional>
#include <string>
#include <vector>

namespace settings {

inline constexpr std::size_t kMaxGroupNameLength = 32;
// A stored value grows by whole members while it is at most this long.
inline constexpr std::size_t kGroupValueSoftLimit = 2999;

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

// Applies the naming rules in their fixed order to a typed name.
GroupNameResult CheckGroupName(const std::string& typed, const std::vector<std::string>& groups,
                               const PrinterNamePredicate& isInstalledPrinter);
// The rules that hold for any group name, new or stored: empty, length, characters.
GroupNameResult CheckGroupNameSyntax(const std::string& typed);

// The refusal message for a check (empty for kAccepted and kEmpty).
std::string GroupNameMessage(const GroupNameResult& result);

// Member list -> stored value: members joined by "," while the text is at most 2999 long.
std::string BuildGroupValue(const std::vector<std::string>& members);
// How many members, from the first, BuildGroupValue keeps.
std::size_t MembersThatFit(const std::vector<std::string>& members);
// The members without later repeats in other letter case; the first spelling stays.
std::vector<std::string> WithoutRepeats(const std::vector<std::string>& members);
// Why a printer name cannot be a stored member (a "," would split it, a line break would end
// the entry, and the file holds UTF-8 only); empty when it can.
std::string MemberNameProblem(const std::string& member);
// Stored value -> members: split at every ",", empty parts dropped, no trimming.
std::vector<std::string> SplitGroupValue(const std::string& value);

// settingsFile in the operations below: another settings file, or empty for the standard one.

// Group names in the order of the settings file; empty when there is no file or no group.
// A file that exists but cannot be read gives no group, and the reason in *error when given.
std::vector<std::string> ListGroups(const std::string& settingsFile = {},
                                    std::string* error = nullptr);

// Members of a group in stored order; empty when the group has no entry or no members, or the
// name breaks the naming rules.
std::vector<std::string> ReadGroupMembers(const std::string& groupName,
                                          const std::string& settingsFile = {});

enum class GroupStoreStatus {
  kOk,
  kRefused,         // the name failed a naming rule (see the GroupNameResult)
  kNoSettingsFile,  // the settings file does not exist; it is never created
  kNoSuchGroup,
  kWriteFailed,     // the file could not be read or written; nothing was changed
  kBadMember,       // a printer name that cannot be stored
  kTooManyMembers,  // the members would not all fit in the stored value
};

struct GroupAddResult {
  GroupStoreStatus status = GroupStoreStatus::kRefused;
  GroupNameResult name;
  std::string error;  // the message for kWriteFailed
};

// The operations below leave the file untouched on any failure and put a message into *error
// (when given) for kRefused, kWriteFailed, kBadMember and kTooManyMembers.

// Adds a group with no members after the naming rules.
GroupAddResult AddGroup(const std::string& typedName,
                        const PrinterNamePredicate& isInstalledPrinter,
                        const std::string& settingsFile = {});

// Replaces the members of an existing group (name as stored, case counts). Repeats of a
// member in other letter case are stored once, in the first spelling.
GroupStoreStatus SetGroupMembers(const std::string& groupName,
                                 const std::vector<std::string>& members,
                                 const std::string& settingsFile = {},
                                 std::string* error = nullptr);

// Deletes a group's entry; the group path goes too when it is left empty.
GroupStoreStatus RemoveGroup(const std::string& groupName, const std::string& settingsFile = {},
                             std::string* error = nullptr);

// Message for a group that could not be removed.
std::string RemoveGroupMessage(const std::string& groupName);

}  // namespace settings
