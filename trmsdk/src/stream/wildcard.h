#pragma once
#include <string_view>

namespace trm {

// Symmetric match of two names: whichever holds "*?[]" is the pattern for the other, else
// they must be equal. ASCII letters are folded to lower case on both sides.
bool WildcardMatch(std::string_view a, std::string_view b);

// An empty text, or one made only of "*", "/", "\" and ".", stands for every file.
bool IsAllPattern(std::string_view text);

}  // namespace trm
