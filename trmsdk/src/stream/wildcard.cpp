#include "stream/wildcard.h"

#include <string>

#include "platform/ascii_case.h"
#include "platform/wild_match.h"

namespace trm {
namespace {

bool HasWildcard(std::string_view text) {
  return text.find_first_of("*?[]") != text.npos;
}

}  // namespace

bool WildcardMatch(std::string_view a, std::string_view b) {
  std::string left = platform::AsciiLower(a);
  std::string right = platform::AsciiLower(b);
  if (HasWildcard(left)) return platform::WildMatch(right.c_str(), left.c_str()) == 1;
  if (HasWildcard(right)) return platform::WildMatch(left.c_str(), right.c_str()) == 1;
  return left == right;
}

bool IsCoveredBy(std::string_view name, std::string_view entry) {
  std::string folded = platform::AsciiLower(name);
  std::string pattern = platform::AsciiLower(entry);
  if (HasWildcard(pattern)) return platform::WildMatch(folded.c_str(), pattern.c_str()) == 1;
  return folded == pattern;
}

bool IsAllPattern(std::string_view text) {
  return text.find_first_not_of("*/\\.") == text.npos;
}

}  // namespace trm
