#include "printer_commands.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "delivery.h"
#include "printing/destinations.h"
#include "printing/printer_list.h"
#include "settings/printer_group_store.h"

namespace kmjob {
namespace {

constexpr int kUsageError = 64;
constexpr int kGroupFailed = 1;

std::string SettingsOf(const CommandLine& line) {
  return line.settings.value_or(std::string());
}

int UsageError(const char* message) {
  std::fprintf(stderr, "kmjob: %s (try kmjob --help)\n", message);
  return kUsageError;
}

int StoreFailure(settings::GroupStoreStatus status, const std::string& group,
                 const CommandLine& line, const std::string& detail = {}) {
  switch (status) {
    case settings::GroupStoreStatus::kOk:
      return 0;
    case settings::GroupStoreStatus::kNoSettingsFile:
      std::fprintf(stderr, "kmjob: there is no settings file%s%s; it is never created\n",
                   line.settings ? " at " : "", line.settings ? line.settings->c_str() : "");
      break;
    case settings::GroupStoreStatus::kNoSuchGroup:
      std::fprintf(stderr, "kmjob: there is no printer group %s\n", group.c_str());
      break;
    case settings::GroupStoreStatus::kWriteFailed:
      std::fprintf(stderr, "kmjob: %s\n",
                   detail.empty() ? "the settings file could not be written" : detail.c_str());
      break;
    case settings::GroupStoreStatus::kRefused:
    case settings::GroupStoreStatus::kBadMember:
    case settings::GroupStoreStatus::kTooManyMembers:
      if (!detail.empty()) std::fprintf(stderr, "kmjob: %s\n", detail.c_str());
      break;
  }
  return kGroupFailed;
}

// The printer list, asked once per command; a server that cannot be asked is only a warning,
// since groups may be prepared before their printers exist.
std::vector<std::string> InstalledPrinters() {
  std::string error;
  std::vector<std::string> printers = printing::ListPostScriptPrinters(&error);
  if (!error.empty()) {
    std::fprintf(stderr, "kmjob: warning: cannot check the printers: %s\n", error.c_str());
    printers.clear();
  }
  return printers;
}

char AsciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Printer names compare without regard to letter case, as the printer list does.
bool Contains(const std::vector<std::string>& printers, const std::string& name) {
  return std::any_of(printers.begin(), printers.end(), [&](const std::string& printer) {
    return printer.size() == name.size() &&
           std::equal(printer.begin(), printer.end(), name.begin(),
                      [](char a, char b) { return AsciiLower(a) == AsciiLower(b); });
  });
}

// A name that breaks the naming rules is refused before anything is asked or changed.
std::optional<int> RefuseGroupName(const std::string& typed) {
  const settings::GroupNameResult name = settings::CheckGroupNameSyntax(typed);
  if (name.check == settings::GroupNameCheck::kAccepted) return std::nullopt;
  if (name.check == settings::GroupNameCheck::kEmpty) return UsageError("the group name is empty");
  std::fprintf(stderr, "kmjob: %s\n", settings::GroupNameMessage(name).c_str());
  return kGroupFailed;
}

int AddGroup(const CommandLine& line, const std::vector<std::string>& names) {
  if (names.size() != 1) return UsageError("group add takes one group name");
  std::optional<std::vector<std::string>> printers;
  auto isInstalled = [&printers](const std::string& name) {
    if (!printers) printers = InstalledPrinters();
    return Contains(*printers, name);
  };
  auto result = settings::AddGroup(names[0], isInstalled, SettingsOf(line));
  if (result.status == settings::GroupStoreStatus::kRefused) {
    if (result.name.check == settings::GroupNameCheck::kEmpty) {
      return UsageError("the group name is empty");
    }
    std::fprintf(stderr, "kmjob: %s\n", settings::GroupNameMessage(result.name).c_str());
    return kGroupFailed;
  }
  return StoreFailure(result.status, result.name.name, line, result.error);
}

int SetGroup(const CommandLine& line, const std::vector<std::string>& names) {
  if (names.empty()) return UsageError("group set takes a group name and its printers");
  if (auto refused = RefuseGroupName(names[0])) return *refused;
  const std::vector<std::string> members =
      settings::WithoutRepeats({names.begin() + 1, names.end()});
  if (!members.empty()) {
    const std::vector<std::string> printers = InstalledPrinters();
    for (const std::string& member : members) {
      if (!printers.empty() && !Contains(printers, member)) {
        std::fprintf(stderr, "kmjob: warning: %s is not an installed PostScript printer\n",
                     member.c_str());
      }
    }
  }
  std::string detail;
  const auto status = settings::SetGroupMembers(names[0], members, SettingsOf(line), &detail);
  return StoreFailure(status, names[0], line, detail);
}

int RemoveGroup(const CommandLine& line, const std::vector<std::string>& names) {
  if (names.size() != 1) return UsageError("group remove takes one group name");
  if (auto refused = RefuseGroupName(names[0])) return *refused;
  std::string detail;
  auto status = settings::RemoveGroup(names[0], SettingsOf(line), &detail);
  if (status == settings::GroupStoreStatus::kOk) return 0;
  if (status == settings::GroupStoreStatus::kNoSuchGroup) {
    std::fprintf(stderr, "kmjob: %s\n", settings::RemoveGroupMessage(names[0]).c_str());
    return kGroupFailed;
  }
  return StoreFailure(status, names[0], line, detail);
}

int ListGroups(const CommandLine& line) {
  std::string error;
  const std::vector<std::string> groups = settings::ListGroups(SettingsOf(line), &error);
  if (!error.empty()) {
    std::fprintf(stderr, "kmjob: %s\n", error.c_str());
    return kGroupFailed;
  }
  for (const std::string& group : groups) {
    std::string members;
    for (const std::string& member : printing::ReadPrinterGroup(group, SettingsOf(line))) {
      members += (members.empty() ? "" : ",") + member;
    }
    std::printf("%s: %s\n", group.c_str(), members.c_str());
  }
  return 0;
}

}  // namespace

int PrintersCommand(const CommandLine& line) {
  std::string error;
  const std::vector<std::string> items = printing::DestinationList(SettingsOf(line), &error);
  // "[No Printers Available]" would claim the server has none.
  if (!error.empty()) {
    std::fprintf(stderr, "kmjob: %s\n", error.c_str());
    return kDeliveryFailed;
  }
  for (const std::string& item : items) std::printf("%s\n", item.c_str());
  return 0;
}

int SendCommand(const CommandLine& line) {
  if (line.operands.size() != 1) return UsageError("send takes one file");
  auto destination = DestinationOf(line);
  if (!destination) return UsageError("send needs --dest or --group");
  const std::string& file = line.operands[0];
  std::error_code error;
  if (!std::filesystem::is_regular_file(file, error)) {
    std::fprintf(stderr, "kmjob: cannot read %s\n", file.c_str());
    return kDeliveryFailed;
  }
  std::string name = std::filesystem::path(file).filename().string();
  return DeliverFile(line, "[Send Submission File] " + name, file, *destination);
}

int GroupCommand(const CommandLine& line) {
  if (line.operands.empty()) return UsageError("group needs add, set, remove or list");
  const std::string& action = line.operands[0];
  std::vector<std::string> names(line.operands.begin() + 1, line.operands.end());
  if (action == "add") return AddGroup(line, names);
  if (action == "set") return SetGroup(line, names);
  if (action == "remove") return RemoveGroup(line, names);
  if (action == "list") return ListGroups(line);
  return UsageError("group needs add, set, remove or list");
}

}  // namespace kmjob
