#include "settings/printer_group_store.h"

#include <string>
#include <vector>

#include "settings/settings_file.h"
#include "settings/settings_keys.h"

namespace settings {

namespace {

wxString GroupKey(const std::string& groupName) {
  return wxString::FromUTF8(groupName);
}

}  // namespace

std::vector<std::string> ListGroups(const std::string& settingsFile, std::string* error) {
  PrinterGroupsFile file(settingsFile);
  if (!file.found()) return {};
  if (!file.readable()) {
    if (error) *error = file.readError();
    return {};
  }
  return file.EntriesInFileOrder();
}

std::vector<std::string> ReadGroupMembers(const std::string& groupName,
                                          const std::string& settingsFile) {
  const GroupNameResult name = CheckGroupNameSyntax(groupName);
  if (name.check != GroupNameCheck::kAccepted) return {};
  PrinterGroupsFile file(settingsFile);
  std::string value;
  if (!ReadText(file, name.name, value)) return {};
  return SplitGroupValue(value);
}

namespace {

GroupStoreStatus Report(GroupStoreStatus status, std::string* error, const std::string& message) {
  if (error) *error = message;
  return status;
}

// A name that breaks a naming rule; the trimmed name of an accepted one in *name.
bool RefusedName(const std::string& typed, std::string& name, std::string* error) {
  const GroupNameResult result = CheckGroupNameSyntax(typed);
  if (result.check == GroupNameCheck::kAccepted) {
    name = result.name;
    return false;
  }
  if (error) {
    *error = result.check == GroupNameCheck::kEmpty ? "The printer group name is empty."
                                                    : GroupNameMessage(result);
  }
  return true;
}

std::string Printable(const std::string& text) {
  std::string shown = text;
  for (char& c : shown) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
  }
  return shown;
}

std::string TooManyMessage(const std::string& group, std::size_t members, std::size_t fit) {
  return "The printer group " + group + " cannot hold all " + std::to_string(members) +
         " printers: its list of printer names ends once it is longer than " +
         std::to_string(kGroupValueSoftLimit) + " characters, and only the first " +
         std::to_string(fit) + " fit.";
}

}  // namespace

GroupAddResult AddGroup(const std::string& typedName,
                        const PrinterNamePredicate& isInstalledPrinter,
                        const std::string& settingsFile) {
  GroupAddResult result;
  PrinterGroupsFile file(settingsFile);
  result.name = CheckGroupName(typedName, ListGroups(settingsFile), isInstalledPrinter);
  if (result.name.check != GroupNameCheck::kAccepted) {
    result.status = GroupStoreStatus::kRefused;
  } else if (!file.found()) {
    result.status = GroupStoreStatus::kNoSettingsFile;
  } else if (!WriteText(file, result.name.name, {}) || !file.Flush()) {
    result.status = GroupStoreStatus::kWriteFailed;
    result.error = file.lastError().empty() ? "cannot change the settings file " + file.path()
                                            : file.lastError();
  } else {
    result.status = GroupStoreStatus::kOk;
  }
  return result;
}

GroupStoreStatus SetGroupMembers(const std::string& groupName,
                                 const std::vector<std::string>& members,
                                 const std::string& settingsFile, std::string* error) {
  std::string name;
  if (RefusedName(groupName, name, error)) return GroupStoreStatus::kRefused;
  const std::vector<std::string> unique = WithoutRepeats(members);
  for (const std::string& member : unique) {
    const std::string problem = MemberNameProblem(member);
    if (!problem.empty()) {
      return Report(GroupStoreStatus::kBadMember, error,
                    "The printer name " + Printable(member) +
                        " cannot be stored in a printer group: " + problem + ".");
    }
  }
  const std::size_t fit = MembersThatFit(unique);
  if (fit < unique.size()) {
    return Report(GroupStoreStatus::kTooManyMembers, error,
                  TooManyMessage(name, unique.size(), fit));
  }
  PrinterGroupsFile file(settingsFile);
  if (!file.found()) return GroupStoreStatus::kNoSettingsFile;
  if (!file.readable()) return Report(GroupStoreStatus::kWriteFailed, error, file.readError());
  if (!file.HasEntry(GroupKey(name))) return GroupStoreStatus::kNoSuchGroup;
  if (!WriteText(file, name, BuildGroupValue(unique)) || !file.Flush()) {
    return Report(GroupStoreStatus::kWriteFailed, error,
                  file.lastError().empty() ? "cannot change the settings file " + file.path()
                                           : file.lastError());
  }
  return GroupStoreStatus::kOk;
}

GroupStoreStatus RemoveGroup(const std::string& groupName, const std::string& settingsFile,
                             std::string* error) {
  std::string name;
  if (RefusedName(groupName, name, error)) return GroupStoreStatus::kRefused;
  PrinterGroupsFile file(settingsFile);
  if (!file.found()) return GroupStoreStatus::kNoSettingsFile;
  if (!file.readable()) return Report(GroupStoreStatus::kWriteFailed, error, file.readError());
  if (!file.HasEntry(GroupKey(name))) return GroupStoreStatus::kNoSuchGroup;
  if (!file.DeleteEntry(GroupKey(name), true) || !file.Flush()) {
    return Report(GroupStoreStatus::kWriteFailed, error,
                  file.lastError().empty() ? "cannot change the settings file " + file.path()
                                           : file.lastError());
  }
  return GroupStoreStatus::kOk;
}

std::string RemoveGroupMessage(const std::string& groupName) {
  return "Problem removing the selected group.\n\n" + groupName;
}

}  // namespace settings
