#include "tpsdk/key_value_pair.h"

#include <algorithm>
#include <cstring>

namespace tpsdk {

const char* FindValue(const std::vector<KeyValuePair>& pairs, const char* key) {
  if (!key) return nullptr;
  for (const KeyValuePair& pair : pairs) {
    if (std::strcmp(pair.GetKey(), key) == 0) return pair.GetValue();
  }
  return nullptr;
}

void StoreValue(std::vector<KeyValuePair>& pairs, const char* key, const char* value) {
  if (!key) return;
  auto found = std::find_if(pairs.begin(), pairs.end(), [key](const KeyValuePair& pair) {
    return std::strcmp(pair.GetKey(), key) == 0;
  });
  if (found == pairs.end()) {
    if (value) pairs.emplace_back(key, value);
  } else if (value) {
    found->SetValue(value);
  } else {
    pairs.erase(found);
  }
}

}  // namespace tpsdk
