#pragma once
// Printer groups as stored in the settings file: one entry per group under "/printer-groups",
// its value the member printer names (see group_value.h). Every operation applies the naming
// rules (see group_names.h), so no name that breaks them ever reaches the settings file.

#include <string>
#include <vector>

#include "settings/group_names.h"
#include "settings/group_value.h"

namespace settings {

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
