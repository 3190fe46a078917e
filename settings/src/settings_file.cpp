#include "settings/settings_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <wx/mstream.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string_view>
#include <system_error>
#include <utility>

#include "entry_order.h"
#include "platform/replace_file.h"
#include "platform/unique_fd.h"

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

// Why the file cannot be read, or empty. Opened without blocking: a pipe put in the file's
// place must not hang the program.
std::string ReadProblem(const std::string& path) {
  const platform::UniqueFd fd(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!fd) return std::strerror(errno);
  struct stat info {};
  std::string problem;
  if (fstat(fd.get(), &info) != 0) {
    problem = std::strerror(errno);
  } else if (!S_ISREG(info.st_mode)) {
    problem = "not a regular file";
  } else if (info.st_size > kMaxSettingsFileBytes) {
    problem = "larger than " + std::to_string(kMaxSettingsFileBytes / (1024 * 1024)) + " MiB";
  }
  return problem;
}

bool IsKeyCharacter(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' ||
         c == '-' || c == '.';
}

bool IsSafeWxKey(const wxString& key) {
  return settings::IsSafeKey(key.utf8_string());
}

bool HasLineBreak(const wxString& value) {
  return value.find_first_of(wxString::FromAscii("\r\n")) != wxString::npos ||
         value.find(wxUniChar(0)) != wxString::npos;
}

}  // namespace

bool IsSafeKey(const std::string& key) {
  if (key.empty()) return false;
  std::size_t start = key.front() == '/' ? 1 : 0;
  while (true) {
    const std::size_t end = std::min(key.find('/', start), key.size());
    const std::string_view part(key.data() + start, end - start);
    if (part.empty() || part == "." || part == ".." ||
        !std::all_of(part.begin(), part.end(), IsKeyCharacter)) {
      return false;
    }
    if (end == key.size()) return true;
    start = end + 1;
  }
}

SettingsFileState::SettingsFileState(const std::string& applicationName,
                                     const std::string& localFile) {
  Location where = Resolve(applicationName, localFile);
  path = std::move(where.path);
  fileName = std::move(where.fileName);
  directory = std::move(where.directory);
  found = FileExists(path);
  if (found) readProblem = ReadProblem(path);
}

SettingsFile::SettingsFile(const std::string& applicationName, const std::string& vendorName,
                           const std::string& localFile, const std::string& /*globalFile*/)
    : SettingsFileState(applicationName, localFile),
      // Only a file known to be readable is handed over: the configuration class would
      // otherwise warn and carry on empty. Without a local file it reads nothing at all.
      wxFileConfig(
          wxString::FromUTF8(applicationName), wxString::FromUTF8(vendorName),
          SettingsFileState::readable() ? wxString::FromUTF8(SettingsFileState::path) : wxString(),
          wxString(),
          // Our path is already absolute; the relative-path style also keeps wx from
          // asking for the user's config folder, which needs a wxApp.
          (SettingsFileState::readable() ? wxCONFIG_USE_LOCAL_FILE : 0) |
              wxCONFIG_USE_NO_ESCAPE_CHARACTERS | wxCONFIG_USE_RELATIVE_PATH) {
  // Values are paths and printer names: "$HOME" in one is text, not a variable.
  SetExpandEnvVars(false);
  // Writing back goes through our Flush, never the base class's own file handling.
  DisableAutoSave();
}

SettingsFile::~SettingsFile() {
  // Callers that care about the outcome flush themselves; this only keeps what they forgot.
  if (dirty_ && lastError_.empty()) Flush();
}

std::string SettingsFile::readError() const {
  if (!found() || readProblem.empty()) return {};
  return "cannot read the settings file " + path() + ": " + readProblem;
}

bool SettingsFile::Flush(bool /*currentOnly*/) {
  lastError_.clear();
  if (!found()) {
    lastError_ = "there is no settings file " + path();
    return false;
  }
  if (!readable()) {
    lastError_ = readError();
    return false;
  }
  if (!dirty_) return true;
  std::string bytes;
  std::string reason = "cannot build its text";
  if (HeldText(bytes) && platform::ReplaceFileContents(path(), bytes, &reason)) {
    dirty_ = false;
    return true;
  }
  lastError_ = "cannot write the settings file " + path() + ": " + reason;
  return false;
}

bool SettingsFile::HeldText(std::string& bytes) {
  wxMemoryOutputStream text;
  if (!Save(text, wxConvUTF8)) return false;
  const wxStreamBuffer* buffer = text.GetOutputStreamBuffer();
  bytes.assign(static_cast<const char*>(buffer->GetBufferStart()),
               static_cast<std::size_t>(text.GetLength()));
  return true;
}

std::vector<std::string> SettingsFile::EntriesInFileOrder() {
  std::vector<std::pair<std::size_t, wxString>> ranked;
  std::set<wxString> listed;  // lower case
  wxString entry;
  long cookie = 0;
  for (bool more = GetFirstEntry(entry, cookie); more; more = GetNextEntry(entry, cookie)) {
    // The configuration class keeps a repeated unchangeable ("!") entry twice; it is one name.
    if (listed.insert(entry.Lower()).second) ranked.emplace_back(0, entry);
  }
  std::string text;
  std::vector<wxString> order;
  if (HeldText(text)) order = EntryNamesInLineOrder(wxString::FromUTF8(text), GetPath());
  std::map<wxString, std::size_t> place;  // lower-case name -> line order
  for (std::size_t i = 0; i < order.size(); ++i) place.emplace(order[i].Lower(), i);
  // A name no line gives (none should) keeps its sorted place after the others: never lost.
  for (auto& [rank, name] : ranked) {
    const auto found = place.find(name.Lower());
    rank = found == place.end() ? order.size() : found->second;
  }
  std::stable_sort(ranked.begin(), ranked.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> names;
  for (const auto& [rank, name] : ranked) names.push_back(name.utf8_string());
  return names;
}

bool SettingsFile::RenameEntry(const wxString& oldName, const wxString& newName) {
  return IsSafeWxKey(oldName) && IsSafeWxKey(newName) &&
         Changed(wxFileConfig::RenameEntry(oldName, newName));
}

bool SettingsFile::RenameGroup(const wxString& oldName, const wxString& newName) {
  return IsSafeWxKey(oldName) && IsSafeWxKey(newName) &&
         Changed(wxFileConfig::RenameGroup(oldName, newName));
}

bool SettingsFile::DeleteEntry(const wxString& key, bool groupIfEmptyAlso) {
  return IsSafeWxKey(key) && Changed(wxFileConfig::DeleteEntry(key, groupIfEmptyAlso));
}

bool SettingsFile::DeleteGroup(const wxString& key) {
  return IsSafeWxKey(key) && Changed(wxFileConfig::DeleteGroup(key));
}

bool SettingsFile::DeleteAll() {
  // The base class would also remove the file itself, bypassing every check.
  return false;
}

bool SettingsFile::DoReadString(const wxString& key, wxString* value) const {
  return IsSafeWxKey(key) && wxFileConfig::DoReadString(key, value);
}

bool SettingsFile::DoReadLong(const wxString& key, long* value) const {
  return IsSafeWxKey(key) && wxFileConfig::DoReadLong(key, value);
}

bool SettingsFile::DoReadBinary(const wxString& key, wxMemoryBuffer* value) const {
  return IsSafeWxKey(key) && wxFileConfig::DoReadBinary(key, value);
}

bool SettingsFile::DoWriteString(const wxString& key, const wxString& value) {
  return IsSafeWxKey(key) && !HasLineBreak(value) &&
         Changed(wxFileConfig::DoWriteString(key, value));
}

bool SettingsFile::DoWriteLong(const wxString& key, long value) {
  return IsSafeWxKey(key) && Changed(wxFileConfig::DoWriteLong(key, value));
}

bool SettingsFile::DoWriteBinary(const wxString& key, const wxMemoryBuffer& value) {
  return IsSafeWxKey(key) && Changed(wxFileConfig::DoWriteBinary(key, value));
}

PrinterGroupsFile::PrinterGroupsFile(const std::string& localFile)
    : SettingsFile(kApplicationName, {}, localFile, {}) {
  SetPath(wxString::FromUTF8(kPrinterGroupsPath));
}

}  // namespace settings
