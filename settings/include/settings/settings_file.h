#pragma once
// The program's INI settings file, opened: its keys read and written, and the whole file
// replaced when written back. The file is laid down by the installation; nothing here ever
// creates it.

#include <wx/fileconf.h>

#include <string>
#include <vector>

#include "settings/settings_location.h"

namespace settings {

// Group that holds one entry per printer group.
inline constexpr char kPrinterGroupsPath[] = "/printer-groups";

// Where a settings file lies and whether it can be read, worked out before the configuration
// class parses it.
struct SettingsFileState {
  SettingsFileState(const std::string& applicationName, const std::string& localFile);
  std::string path;
  std::string fileName;
  std::string directory;
  bool found = false;
  std::string readProblem;  // why a found file cannot be read; empty when it can
  bool readable() const { return found && readProblem.empty(); }
};

// Larger settings files are refused: an installation lays down a few kilobytes.
inline constexpr long long kMaxSettingsFileBytes = 16LL * 1024 * 1024;

// One open settings file. Opened afresh by every operation that reads or writes keys, and
// written back when destroyed; root keys sit at the top. When no file existed at construction
// (`found` false) or it could not be read, reads give the defaults and nothing is ever
// written. Keys are names or "/"-separated paths of names; a key with an empty part, "." or
// "..", or a character other than letters, digits, "_", "-" and "." is neither read nor
// written, and no value with a line break is written, so no text can reach another section
// or key.
class SettingsFile : private SettingsFileState, public wxFileConfig {
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

  // Writes pending changes by replacing the file as a whole (a symbolic link stays and its
  // target is replaced). False, with the reason in lastError(), when there is no settings
  // file, it could not be read, or it could not be written.
  bool Flush(bool currentOnly = false) override;

  // As the configuration class does them, in memory until Flush; false, with nothing
  // changed, for a key that is not safe (see IsSafeKey).
  bool RenameEntry(const wxString& oldName, const wxString& newName) override;
  bool RenameGroup(const wxString& oldName, const wxString& newName) override;
  bool DeleteEntry(const wxString& key, bool groupIfEmptyAlso = true) override;
  bool DeleteGroup(const wxString& key) override;
  // Always false: never empties or removes the file.
  bool DeleteAll() override;

  // Names of the entries of the current group in the order the file holds them, as it would
  // be written now: the names the configuration class enumerates (it sorts them), each once.
  std::vector<std::string> EntriesInFileOrder();

  // Where the file lies (see SettingsFileState); found() tells whether it existed when opened.
  const std::string& path() const { return SettingsFileState::path; }
  const std::string& fileName() const { return SettingsFileState::fileName; }
  const std::string& directory() const { return SettingsFileState::directory; }
  bool found() const { return SettingsFileState::found; }
  // Found and read; only such a file is ever written.
  bool readable() const { return SettingsFileState::readable(); }
  // Why a found file cannot be read, naming it; empty when it can.
  std::string readError() const;
  // Why the last Flush failed, naming the file. Changes a failed Flush could not write are
  // not tried again when the object is destroyed.
  const std::string& lastError() const { return lastError_; }

 protected:
  // The configuration class's reads and writes behind Read and Write: false, with nothing
  // read or changed, for a key that is not safe or (writes) a text value with a line break.
  bool DoReadString(const wxString& key, wxString* value) const override;
  bool DoReadLong(const wxString& key, long* value) const override;
  bool DoReadBinary(const wxString& key, wxMemoryBuffer* value) const override;
  bool DoWriteString(const wxString& key, const wxString& value) override;
  bool DoWriteLong(const wxString& key, long value) override;
  bool DoWriteBinary(const wxString& key, const wxMemoryBuffer& value) override;

 private:
  // The text Flush writes: the lines the configuration class holds, in UTF-8. False when it
  // cannot be built.
  bool HeldText(std::string& bytes);
  bool Changed(bool changed) {
    dirty_ = dirty_ || changed;
    return changed;
  }

  bool dirty_ = false;
  std::string lastError_;
};

// True when a key can be used (see SettingsFile).
bool IsSafeKey(const std::string& key);

// The twin opened by the printer-group operations: the same file, positioned in the group
// path "/printer-groups", so entry names are group names.
class PrinterGroupsFile : public SettingsFile {
 public:
  explicit PrinterGroupsFile(const std::string& localFile = {});
};

}  // namespace settings
