#include "settings/settings_location.h"

#include <cstdlib>

namespace settings {

std::string CommonAppDataFolder() {
  const char* override = std::getenv(kAppDataVariable);
  std::string folder = (override && *override) ? override : "/var/lib";
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  return folder;
}

std::string SettingsFileName(const std::string& applicationName) {
  if (applicationName.find(".ini") != std::string::npos) return applicationName;
  return applicationName + ".ini";
}

std::string SettingsFolder(const std::string& fileName) {
  std::string folder = CommonAppDataFolder();
  if (folder.empty()) return {};
  if (folder.back() != '/') folder += '/';
  folder += "Norvale/KORA/";
  if (fileName == "koramanage.ini") folder += "KMAN/";
  return folder;
}

std::string SettingsPath(const std::string& applicationName) {
  const std::string fileName = SettingsFileName(applicationName);
  return SettingsFolder(fileName) + fileName;
}

}  // namespace settings
