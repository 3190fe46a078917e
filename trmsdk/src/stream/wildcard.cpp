#include "stream/wildcard.h"

#include <string>

#include "platform/file_layer.h"

namespace trm {
namespace {

bool HasWildcard(std::string_view text) {
  return text.find_first_of("*?[]") != text.npos;
}

}  // namespace

std::string FoldAsciiCase(std::string_view text) {
  std::string folded(text);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

bool WildcardMatch(std::string_view a, std::string_view b) {
  std::string left = FoldAsciiCase(a);
  std::string right = FoldAsciiCase(b);
  if (HasWildcard(left)) return platform::WildMatch(right.c_str(), left.c_str()) == 1;
  if (HasWildcard(right)) return platform::WildMatch(left.c_str(), right.c_str()) == 1;
  return left == right;
}

bool IsCoveredBy(std::string_view name, std::string_view entry) {
  std::string folded = FoldAsciiCase(name);
  std::string pattern = FoldAsciiCase(entry);
  if (HasWildcard(pattern)) return platform::WildMatch(folded.c_str(), pattern.c_str()) == 1;
  return folded == pattern;
}

bool IsAllPattern(std::string_view text) {
  return text.find_first_not_of("*/\\.") == text.npos;
}

}  // namespace trm
