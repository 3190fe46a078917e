#include "settings/printer_group_store.h"

#include <algorithm>
#include <fstream>
#include <string_view>

#include "settings/settings_file.h"
#include "settings/settings_keys.h"

namespace settings {

namespace {

char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return AsciiLower(x) == AsciiLower(y);
         });
}

bool IsTrailingSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Characters, not bytes: a UTF-8 continuation byte does not start a character.
std::size_t CharacterCount(const std::string& text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

bool IsGroupNameCharacter(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

wxString GroupKey(const std::string& groupName) {
  return wxString::FromUTF8(groupName);
}

std::string_view Trimmed(std::string_view text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

// The keys of the printer-group section as they stand in the file, top to bottom.
std::vector<std::string> GroupKeysInFileOrder(const std::string& path) {
  std::vector<std::string> keys;
  std::ifstream in(path, std::ios::binary);
  const std::string section = std::string("[") + (kPrinterGroupsPath + 1) + "]";
  bool inSection = false;
  for (std::string line; std::getline(in, line);) {
    const std::string_view text = Trimmed(line);
    if (text.empty() || text.front() == ';' || text.front() == '#') continue;
    if (text.front() == '[') {
      inSection = text == section;
    } else if (inSection) {
      keys.emplace_back(Trimmed(text.substr(0, text.find('='))));
    }
  }
  return keys;
}

}  // namespace

namespace {

GroupNameResult TrimmedName(const std::string& typed) {
  GroupNameResult result;
  result.name = typed;
  while (!result.name.empty() && IsTrailingSpace(result.name.back())) result.name.pop_back();
  return result;
}

bool HasOnlyNameCharacters(const std::string& name) {
  return std::all_of(name.begin(), name.end(), IsGroupNameCharacter);
}

}  // namespace

GroupNameResult CheckGroupName(const std::string& typed, const std::vector<std::string>& groups,
                               const PrinterNamePredicate& isInstalledPrinter) {
  GroupNameResult result = TrimmedName(typed);
  const std::string& name = result.name;
  if (name.empty()) {
    result.check = GroupNameCheck::kEmpty;
  } else if (CharacterCount(name) > kMaxGroupNameLength) {
    result.check = GroupNameCheck::kTooLong;
  } else if (isInstalledPrinter && isInstalledPrinter(name)) {
    result.check = GroupNameCheck::kPrinterName;
  } else if (std::any_of(groups.begin(), groups.end(),
                         [&](const std::string& g) { return EqualIgnoringCase(g, name); })) {
    result.check = GroupNameCheck::kExists;
  } else if (!HasOnlyNameCharacters(name)) {
    result.check = GroupNameCheck::kBadCharacter;
  } else {
    result.check = GroupNameCheck::kAccepted;
  }
  return result;
}

GroupNameResult CheckGroupNameSyntax(const std::string& typed) {
  GroupNameResult result = TrimmedName(typed);
  if (result.name.empty()) {
    result.check = GroupNameCheck::kEmpty;
  } else if (CharacterCount(result.name) > kMaxGroupNameLength) {
    result.check = GroupNameCheck::kTooLong;
  } else if (!HasOnlyNameCharacters(result.name)) {
    result.check = GroupNameCheck::kBadCharacter;
  } else {
    result.check = GroupNameCheck::kAccepted;
  }
  return result;
}

std::string GroupNameMessage(const GroupNameResult& result) {
  switch (result.check) {
    case GroupNameCheck::kTooLong:
      return "Please limit the printer group name to at most 32 characters.";
    case GroupNameCheck::kPrinterName:
      return "Group name cannot be the same as a printer name.\n\n" + result.name;
    case GroupNameCheck::kExists:
      return "The group already exists.\n\n" + result.name;
    case GroupNameCheck::kBadCharacter:
      return "Printer group name may only contain underscore, and alphanumeric characters.";
    case GroupNameCheck::kAccepted:
    case GroupNameCheck::kEmpty:
      break;
  }
  return {};
}

std::size_t MembersThatFit(const std::vector<std::string>& members) {
  std::size_t length = 0;
  std::size_t count = 0;
  for (const std::string& member : members) {
    if (length > kGroupValueSoftLimit) break;
    length += (count == 0 ? 0 : 1) + member.size();
    ++count;
  }
  return count;
}

std::string BuildGroupValue(const std::vector<std::string>& members) {
  std::string value;
  const std::size_t count = MembersThatFit(members);
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) value += ',';
    value += members[i];
  }
  return value;
}

std::vector<std::string> WithoutRepeats(const std::vector<std::string>& members) {
  std::vector<std::string> unique;
  for (const std::string& member : members) {
    if (std::none_of(unique.begin(), unique.end(),
                     [&](const std::string& kept) { return EqualIgnoringCase(kept, member); })) {
      unique.push_back(member);
    }
  }
  return unique;
}

std::string MemberNameProblem(const std::string& member) {
  if (member.find(',') != std::string::npos) return "it holds a comma";
  if (std::any_of(member.begin(), member.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; })) {
    return "it holds a control character";
  }
  if (wxString::FromUTF8(member).utf8_string() != member) return "it is not UTF-8 text";
  return {};
}

std::vector<std::string> SplitGroupValue(const std::string& value) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= value.size()) {
    const std::size_t comma = std::min(value.find(',', start), value.size());
    if (comma > start) parts.push_back(value.substr(start, comma - start));
    start = comma + 1;
  }
  return parts;
}

std::vector<std::string> ListGroups(const std::string& settingsFile, std::string* error) {
  std::vector<std::string> names;
  PrinterGroupsFile file(settingsFile);
  if (!file.found()) return names;
  if (!file.readable()) {
    if (error) *error = file.readError();
    return names;
  }
  wxString entry;
  long cookie = 0;
  for (bool more = file.GetFirstEntry(entry, cookie); more;
       more = file.GetNextEntry(entry, cookie)) {
    names.push_back(entry.utf8_string());
  }
  // The configuration class hands entries out sorted by name; groups are offered in the order
  // the file holds them.
  const std::vector<std::string> order = GroupKeysInFileOrder(file.path());
  auto position = [&order](const std::string& name) {
    return std::find(order.begin(), order.end(), name) - order.begin();
  };
  std::stable_sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
    return position(a) < position(b);
  });
  return names;
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
