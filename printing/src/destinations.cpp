#include "printing/destinations.h"

#include <algorithm>

#include "printing/printer_list.h"
#include "settings/printer_group_store.h"

namespace printing {

bool IsGroupDestination(const std::string& destination) {
  return destination.rfind(GROUP_PREFIX, 0) == 0;
}

std::string GroupNameOf(const std::string& destination) {
  const std::string prefix = GROUP_PREFIX;
  std::string name = destination;
  for (std::size_t at = name.find(prefix); at != std::string::npos; at = name.find(prefix, at)) {
    name.erase(at, prefix.size());
  }
  return name;
}

std::string GroupDestination(const std::string& groupName) {
  return GROUP_PREFIX + groupName;
}

std::vector<std::string> ReadPrinterGroup(const std::string& groupName,
                                          const std::string& settingsFile) {
  return settings::ReadGroupMembers(groupName, settingsFile);
}

std::vector<std::string> BuildDestinationList(const std::vector<std::string>& printers,
                                              const std::vector<std::string>& groups) {
  std::vector<std::string> items = printers;
  auto present = [&](const std::string& item) {
    return std::find(items.begin(), items.end(), item) != items.end();
  };
  for (const std::string& group : groups) {
    if (items.size() >= MAX_PRINTERS) break;
    const std::string item = GroupDestination(group);
    if (!present(group) && !present(item)) items.push_back(item);
  }
  return items;
}

std::vector<std::string> DestinationList(const std::string& settingsFile, std::string* error) {
  return BuildDestinationList(ListPostScriptPrinters(error), settings::ListGroups(settingsFile));
}

}  // namespace printing
