#pragma once
// The stored value of a printer group: member printer names joined by ",", no blanks added,
// growing by whole members up to a soft length limit.

#include <cstddef>
#include <string>
#include <vector>

namespace settings {

// A stored value grows by whole members while it is at most this long.
inline constexpr std::size_t kGroupValueSoftLimit = 2999;

// Member list -> stored value: members joined by "," while the text is at most 2999 long.
std::string BuildGroupValue(const std::vector<std::string>& members);
// How many members, from the first, BuildGroupValue keeps.
std::size_t MembersThatFit(const std::vector<std::string>& members);
// The members without later repeats in other letter case; the first spelling stays.
std::vector<std::string> WithoutRepeats(const std::vector<std::string>& members);
// Why a printer name cannot be a stored member (a "," would split it, a line break would end
// the entry, and the file holds UTF-8 only); empty when it can.
std::string MemberNameProblem(const std::string& member);
// Stored value -> members: split at every ",", empty parts dropped, no trimming.
std::vector<std::string> SplitGroupValue(const std::string& value);

}  // namespace settings
