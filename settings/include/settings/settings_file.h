#pragma once
// The program's INI settings file: where it lies and how it is opened. The file is laid down
// by the installation; nothing here ever creates it.

#include <wx/fileconf.h>

#include <string>

namespace settings {

// Application name passed whenever the settings file is opened.
inline constexpr char kApplicationName[] = "koramanage";
// Group that holds one entry per printer group.
inline constexpr char kPrinterGroupsPath[] = "/printer-groups";
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

// One open settings file. Opened afresh by every operation that reads or writes keys, and
// written back when destroyed; root keys sit at the top. When no file existed at construction
// (`found` false), reads give the defaults and nothing is ever written.
class SettingsFile : public wxFileConfig {
 public:
  // localFile: another settings file to use instead of the standard location (made absolute
  // against the current directory); empty for the standard location. vendorName and
  // globalFile are accepted for the configuration class and not otherwise used.
  explicit SettingsFile(const std::string& applicationName = kApplicationName,
                        const std::string& vendorName = {}, const std::string& localFile = {},
                        const std::string& globalFile = {});
  ~SettingsFile() override;
  SettingsFile(const SettingsFile&) = delete;
  SettingsFile& operator=(const SettingsFile&) = delete;

  // Writes pending changes; refused (false) when there is no settings file.
  bool Flush(bool currentOnly = false) override;

  const std::string& path() const { return path_; }
  const std::string& fileName() const { return fileName_; }
  const std::string& directory() const { return directory_; }
  bool found() const { return found_; }

 private:
  std::string path_;
  std::string fileName_;
  std::string directory_;
  bool found_ = false;
};

// The twin opened by the printer-group operations: the same file, positioned in the group
// path "/printer-groups", so entry names are group names.
class PrinterGroupsFile : public SettingsFile {
 public:
  explicit PrinterGroupsFile(const std::string& localFile = {});
};

}  // namespace settings
