#include "settings/group_names.h"

#include <algorithm>

#include "platform/ascii_case.h"

namespace settings {

namespace {

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
  } else if (std::any_of(groups.begin(), groups.end(), [&](const std::string& g) {
               return platform::EqualsIgnoringAsciiCase(g, name);
             })) {
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

}  // namespace settings
