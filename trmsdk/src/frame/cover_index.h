#pragma once
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

namespace trm {

// Answers, for a list that grows one entry at a time, whether an entry already covers a name
// (IsCoveredBy) without comparing the name with every entry: entries free of wildcard
// characters are looked up by their folded text, only the entries with wildcards are tried one
// by one.
class CoverIndex {
 public:
  bool Covers(std::string_view name) const;
  void Add(std::string_view entry);

 private:
  std::unordered_set<std::string> plainEntries_;  // folded
  std::vector<std::string> patternEntries_;
};

}  // namespace trm
