#include "settings/settings_keys.h"

namespace settings {

namespace {
wxString Key(const std::string& key) {
  return wxString::FromUTF8(key);
}
}  // namespace

bool ReadText(const wxConfigBase& config, const std::string& key, std::string& value) {
  wxString text;
  if (!config.Read(Key(key), &text)) return false;
  value = text.utf8_string();
  return true;
}

bool ReadBool(const wxConfigBase& config, const std::string& key, bool& value) {
  bool flag = false;
  if (!config.Read(Key(key), &flag)) return false;
  value = flag;
  return true;
}

bool ReadLong(const wxConfigBase& config, const std::string& key, long& value) {
  long number = 0;
  if (!config.Read(Key(key), &number)) return false;
  value = number;
  return true;
}

bool WriteText(wxConfigBase& config, const std::string& key, const std::string& value) {
  return config.Write(Key(key), wxString::FromUTF8(value));
}

bool WriteBool(wxConfigBase& config, const std::string& key, bool value) {
  return config.Write(Key(key), value);
}

bool WriteLong(wxConfigBase& config, const std::string& key, long value) {
  return config.Write(Key(key), value);
}

bool ReadPathSetting(const wxConfigBase& config, const std::string& key, std::string& value) {
  std::string text;
  if (!ReadText(config, key, text) || text.empty() || text == kNullValue) {
    value.clear();
    return false;
  }
  value = text;
  return true;
}

Settings ReadSettings(const wxConfigBase& config) {
  Settings s;
  s.hasKmRootDir = ReadText(config, kKmRootDir, s.kmRootDir);
  ReadBool(config, kUseBuiltin, s.useBuiltin);
  ReadPathSetting(config, kKoraCore, s.koraCore);
  ReadPathSetting(config, kKoraStub, s.koraStub);
  ReadBool(config, kIncludeLMI, s.includeLMI);
  ReadText(config, kLastPrinter, s.lastPrinter);
  ReadBool(config, kStatusPage, s.statusPage);
  ReadBool(config, kIsMaximized, s.isMaximized);
  ReadLong(config, kWidth, s.width);
  ReadLong(config, kHeight, s.height);
  ReadText(config, kLastProjDir, s.lastProjDir);
  ReadText(config, kLastSubDir, s.lastSubDir);
  ReadText(config, kLastLegacyDir, s.lastLegacyDir);
  ReadText(config, kLastFontDir, s.lastFontDir);
  return s;
}

bool IsInterpreterChoiceComplete(const wxConfigBase& config) {
  bool useBuiltin = false;
  std::string path;
  if (ReadBool(config, kUseBuiltin, useBuiltin) && useBuiltin) {
    return ReadPathSetting(config, kKoraStub, path);
  }
  return ReadPathSetting(config, kKoraCore, path);
}

}  // namespace settings
