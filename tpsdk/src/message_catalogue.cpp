#include "tpsdk/message_catalogue.h"

#include <string_view>
#include <unordered_map>

namespace tpsdk {

int CatalogueNumber(std::string_view format) {
  static const std::unordered_map<std::string_view, int> numbers = [] {
    std::unordered_map<std::string_view, int> map;
    for (std::size_t i = 0; i < kMessageCatalogue.size(); ++i) {
      map.emplace(kMessageCatalogue[i], static_cast<int>(i));
    }
    return map;
  }();
  auto found = numbers.find(format);
  return found == numbers.end() ? -1 : found->second;
}

}  // namespace tpsdk
