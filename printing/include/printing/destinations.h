#pragma once
// Destinations: a printer name, or a printer group written behind the group prefix.

#include <string>
#include <vector>

namespace printing {

// Three backslashes in a row: an item that begins with them names a printer group.
inline constexpr char GROUP_PREFIX[] = "\\\\\\";

bool IsGroupDestination(const std::string& destination);
// The group name of a destination: every occurrence of the prefix removed.
std::string GroupNameOf(const std::string& destination);
// The destination item of a group.
std::string GroupDestination(const std::string& groupName);

// The members of a group in stored order (settingsFile: another settings file, or empty for
// the standard one); empty when the group has no entry or no members. No trimming and no
// check that the members are installed.
std::vector<std::string> ReadPrinterGroup(const std::string& groupName,
                                          const std::string& settingsFile = {});

// The destination list from a printer list and the group names in settings-file order: the
// printers, then the prefix plus each group unless the group or its item is already there,
// at most 1024 items in all.
std::vector<std::string> BuildDestinationList(const std::vector<std::string>& printers,
                                              const std::vector<std::string>& groups);

// The destination list as the task panel shows it, read afresh from the print server and the
// settings file. When the server cannot be asked it holds the no-printer entry and the groups,
// and *error (when given) says why.
std::vector<std::string> DestinationList(const std::string& settingsFile = {},
                                         std::string* error = nullptr);

}  // namespace printing
