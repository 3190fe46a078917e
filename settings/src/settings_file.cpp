#include "settings/settings_file.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace settings {

namespace {

struct Location {
  std::string path;
  std::string fileName;
  std::string directory;
};

Location Resolve(const std::string& applicationName, const std::string& localFile) {
  Location where;
  if (localFile.empty()) {
    where.fileName = SettingsFileName(applicationName);
    where.directory = SettingsFolder(where.fileName);
    where.path = where.directory + where.fileName;
    return where;
  }
  // wxFileConfig takes a relative name from $HOME; ours are relative to the current folder.
  std::error_code ec;
  std::filesystem::path full = std::filesystem::absolute(localFile, ec);
  if (ec) full = localFile;
  where.path = full.string();
  where.fileName = full.filename().string();
  where.directory = full.parent_path().string();
  if (!where.directory.empty() && where.directory.back() != '/') where.directory += '/';
  return where;
}

bool FileExists(const std::string& path) {
  std::error_code ec;
  return !path.empty() && std::filesystem::exists(path, ec) &&
         !std::filesystem::is_directory(path, ec);
}

}  // namespace

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

SettingsFile::SettingsFile(const std::string& applicationName, const std::string& vendorName,
                           const std::string& localFile, const std::string& /*globalFile*/)
    : wxFileConfig(wxString::FromUTF8(applicationName), wxString::FromUTF8(vendorName),
                   wxString::FromUTF8(Resolve(applicationName, localFile).path), wxString(),
                   // Our path is already absolute; the relative-path style also keeps wx from
                   // asking for the user's config folder, which needs a wxApp.
                   wxCONFIG_USE_LOCAL_FILE | wxCONFIG_USE_NO_ESCAPE_CHARACTERS |
                       wxCONFIG_USE_RELATIVE_PATH) {
  const Location where = Resolve(applicationName, localFile);
  path_ = where.path;
  fileName_ = where.fileName;
  directory_ = where.directory;
  found_ = FileExists(path_);
  // Values are paths and printer names: "$HOME" in one is text, not a variable.
  SetExpandEnvVars(false);
  if (!found_) DisableAutoSave();
}

SettingsFile::~SettingsFile() {
  // The base destructor flushes through its own Flush, which would create a missing file.
  if (!found_) DisableAutoSave();
}

bool SettingsFile::Flush(bool currentOnly) {
  if (!found_) return false;
  return wxFileConfig::Flush(currentOnly);
}

PrinterGroupsFile::PrinterGroupsFile(const std::string& localFile)
    : SettingsFile(kApplicationName, {}, localFile, {}) {
  SetPath(wxString::FromUTF8(kPrinterGroupsPath));
}

}  // namespace settings
