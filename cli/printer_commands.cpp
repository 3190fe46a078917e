#include "printer_commands.h"

#include <cstdio>
#include <filesystem>
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
                 const CommandLine& line) {
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
      std::fprintf(stderr, "kmjob: the settings file could not be written\n");
      break;
    case settings::GroupStoreStatus::kRefused:
      break;
  }
  return kGroupFailed;
}

bool IsInstalled(const std::string& name) {
  return printing::IsInstalledPrinter(name);
}

int AddGroup(const CommandLine& line, const std::vector<std::string>& names) {
  if (names.size() != 1) return UsageError("group add takes one group name");
  auto result = settings::AddGroup(names[0], IsInstalled, SettingsOf(line));
  if (result.status == settings::GroupStoreStatus::kRefused) {
    if (result.name.check == settings::GroupNameCheck::kEmpty) {
      return UsageError("the group name is empty");
    }
    std::fprintf(stderr, "kmjob: %s\n", settings::GroupNameMessage(result.name).c_str());
    return kGroupFailed;
  }
  return StoreFailure(result.status, result.name.name, line);
}

int SetGroup(const CommandLine& line, const std::vector<std::string>& names) {
  if (names.empty()) return UsageError("group set takes a group name and its printers");
  std::vector<std::string> members(names.begin() + 1, names.end());
  for (const std::string& member : members) {
    if (!IsInstalled(member)) {
      std::fprintf(stderr, "kmjob: warning: %s is not an installed PostScript printer\n",
                   member.c_str());
    }
  }
  return StoreFailure(settings::SetGroupMembers(names[0], members, SettingsOf(line)), names[0],
                      line);
}

int RemoveGroup(const CommandLine& line, const std::vector<std::string>& names) {
  if (names.size() != 1) return UsageError("group remove takes one group name");
  auto status = settings::RemoveGroup(names[0], SettingsOf(line));
  if (status == settings::GroupStoreStatus::kOk) return 0;
  if (status == settings::GroupStoreStatus::kNoSuchGroup) {
    std::fprintf(stderr, "kmjob: %s\n", settings::RemoveGroupMessage(names[0]).c_str());
    return kGroupFailed;
  }
  return StoreFailure(status, names[0], line);
}

int ListGroups(const CommandLine& line) {
  for (const std::string& group : settings::ListGroups(SettingsOf(line))) {
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
  for (const std::string& item : printing::DestinationList(SettingsOf(line))) {
    std::printf("%s\n", item.c_str());
  }
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
