#pragma once
// Where the program's settings file lies: the machine-wide application-data folder, the
// folders below it and the file name. Nothing here looks at the file system.

#include <string>

namespace settings {

// Application name passed whenever the settings file is opened.
inline constexpr char kApplicationName[] = "koramanage";
// Environment variable that replaces the machine-wide application-data folder.
inline constexpr char kAppDataVariable[] = "KORAMANAGE_APPDATA";

// The machine-wide application-data folder: $KORAMANAGE_APPDATA when set and not empty, else
// "/var/lib". Never ends in "/" (except the root itself).
std::string CommonAppDataFolder();

// The application name with ".ini" appended unless it already contains ".ini".
std::string SettingsFileName(const std::string& applicationName);

// The folder of a settings file name: <appdata>/Norvale/KORA/, plus "KMAN/" for exactly
// "koramanage.ini". Always ends in "/"; empty when the application-data folder is empty.
std::string SettingsFolder(const std::string& fileName);

// The full path: folder plus file name (just the file name when the folder is empty).
std::string SettingsPath(const std::string& applicationName);

}  // namespace settings
