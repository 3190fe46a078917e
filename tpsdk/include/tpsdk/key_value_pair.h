#pragma once
// Two texts: a private block's identifier and data, or an extra attribute's name and value.

#include <string>
#include <string_view>
#include <vector>

namespace tpsdk {

class KeyValuePair {
 public:
  KeyValuePair(std::string_view key, std::string_view value) : key_(key), value_(value) {}
  const char* GetKey() const { return key_.c_str(); }
  void SetKey(std::string_view key) { key_ = key; }
  const char* GetValue() const { return value_.c_str(); }
  void SetValue(std::string_view value) { value_ = value; }

 private:
  std::string key_;
  std::string value_;
};

// The value of the first pair of that key (case counts); null when there is none.
const char* FindValue(const std::vector<KeyValuePair>& pairs, const char* key);
// A value replaces the value of the first pair of that key or is appended with it; a null
// value removes that pair.
void StoreValue(std::vector<KeyValuePair>& pairs, const char* key, const char* value);

}  // namespace tpsdk
