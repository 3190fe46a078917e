#pragma once
#include <string_view>

namespace trm {

// Symmetric match of two names: whichever holds "*?[]" is the pattern for the other, else
// they must be equal. ASCII letters are folded to lower case on both sides.
bool WildcardMatch(std::string_view a, std::string_view b);

// True when a list entry already stands for the name: the entry, as a pattern if it has
// wildcard characters, matches the name (letters folded). Unlike WildcardMatch, a broader
// pattern added after a narrower name is not mistaken for a duplicate of it.
bool IsCoveredBy(std::string_view name, std::string_view entry);

// An empty text, or one made only of "*", "/", "\" and ".", stands for every file.
bool IsAllPattern(std::string_view text);

}  // namespace trm
