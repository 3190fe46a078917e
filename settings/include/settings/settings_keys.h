#pragma once
// Typed access to the keys of the settings file. A key that cannot be read leaves the
// caller's value (the default) in place; every read reports whether the key was read.

#include <wx/confbase.h>

#include <string>

namespace settings {

inline constexpr char kKmRootDir[] = "kmRootDir";
inline constexpr char kUseBuiltin[] = "useBuiltin";
inline constexpr char kKoraCore[] = "koraCore";
inline constexpr char kKoraStub[] = "koraStub";
inline constexpr char kIncludeLMI[] = "includeLMI";
inline constexpr char kLastPrinter[] = "lastPrinter";
inline constexpr char kStatusPage[] = "statusPage";
inline constexpr char kIsMaximized[] = "isMaximized";
inline constexpr char kWidth[] = "width";
inline constexpr char kHeight[] = "height";
inline constexpr char kLastProjDir[] = "lastProjDir";
inline constexpr char kLastSubDir[] = "lastSubDir";
inline constexpr char kLastLegacyDir[] = "lastLegacyDir";
inline constexpr char kLastFontDir[] = "lastFontDir";
inline constexpr char kPgWidth[] = "pg_width";
inline constexpr char kPgHeight[] = "pg_height";
inline constexpr char kPg[] = "pg";

inline constexpr long kDefaultWidth = 620;
inline constexpr long kDefaultHeight = 732;

// The literal that stands for "not set" in koraCore and koraStub.
inline constexpr char kNullValue[] = "NULL";

// Plain typed reads and writes relative to the configuration's current path; keys may also
// be absolute ("/printer-groups/name"). A read returns whether the key was read and leaves
// value alone when not; a write returns whether the configuration took the value (the file
// itself changes only when the configuration is flushed).
bool ReadText(const wxConfigBase& config, const std::string& key, std::string& value);
bool ReadBool(const wxConfigBase& config, const std::string& key, bool& value);
bool ReadLong(const wxConfigBase& config, const std::string& key, long& value);
bool WriteText(wxConfigBase& config, const std::string& key, const std::string& value);
bool WriteBool(wxConfigBase& config, const std::string& key, bool value);
bool WriteLong(wxConfigBase& config, const std::string& key, long value);

// A path-like text key where "NULL" counts as empty (koraCore, koraStub). True only when a
// usable value was read; value is emptied otherwise.
bool ReadPathSetting(const wxConfigBase& config, const std::string& key, std::string& value);

// Every root key with its stated default, read in one go.
struct Settings {
  bool hasKmRootDir = false;  // kmRootDir has no default: false when it could not be read
  std::string kmRootDir;
  bool useBuiltin = false;
  std::string koraCore;  // "NULL" already mapped to empty
  std::string koraStub;  // likewise
  bool includeLMI = false;
  std::string lastPrinter;
  bool statusPage = false;
  bool isMaximized = false;
  long width = kDefaultWidth;
  long height = kDefaultHeight;
  std::string lastProjDir;
  std::string lastSubDir;
  std::string lastLegacyDir;
  std::string lastFontDir;
};
Settings ReadSettings(const wxConfigBase& config);

// True when an interpreter has been chosen completely: with useBuiltin true a usable
// koraStub, otherwise a usable koraCore.
bool IsInterpreterChoiceComplete(const wxConfigBase& config);

}  // namespace settings
