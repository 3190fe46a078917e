#pragma once
// Printer groups as stored in the settings file: one entry per group under "/printer-groups",
// value = member printer names joined by ",". The naming rules for new groups live here so the
// dialog and the command line refuse the same names.

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

// The refusal message for a check (empty for kAccepted and kEmpty).
std::string GroupNameMessage(const GroupNameResult& result);

// Member list -> stored value: members joined by "," while the text is at most 2999 long.
std::string BuildGroupValue(const std::vector<std::string>& members);
// Stored value -> members: split at every ",", empty parts dropped, no trimming.
std::vector<std::string> SplitGroupValue(const std::string& value);

// settingsFile in the operations below: another settings file, or empty for the standard one.

// Group names in the order of the settings file; empty when there is no file or no group.
std::vector<std::string> ListGroups(const std::string& settingsFile = {});

// Members of a group in stored order; empty when the group has no entry or no members.
std::vector<std::string> ReadGroupMembers(const std::string& groupName,
                                          const std::string& settingsFile = {});

enum class GroupStoreStatus {
  kOk,
  kRefused,         // the name failed a naming rule (see the GroupNameResult)
  kNoSettingsFile,  // the settings file does not exist; it is never created
  kNoSuchGroup,
  kWriteFailed,
};

struct GroupAddResult {
  GroupStoreStatus status = GroupStoreStatus::kRefused;
  GroupNameResult name;
};

// Adds a group with no members after the naming rules.
GroupAddResult AddGroup(const std::string& typedName,
                        const PrinterNamePredicate& isInstalledPrinter,
                        const std::string& settingsFile = {});

// Replaces the members of an existing group (name as stored, case counts).
GroupStoreStatus SetGroupMembers(const std::string& groupName,
                                 const std::vector<std::string>& members,
                                 const std::string& settingsFile = {});

// Deletes a group's entry; the group path goes too when it is left empty.
GroupStoreStatus RemoveGroup(const std::string& groupName, const std::string& settingsFile = {});

// Message for a group that could not be removed.
std::string RemoveGroupMessage(const std::string& groupName);

}  // namespace settings
