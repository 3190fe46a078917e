#include "frame/cover_index.h"

#include "platform/ascii_case.h"
#include "stream/wildcard.h"

namespace trm {
namespace {

// Every character the matcher treats specially; an entry holding one of them is tried as a
// pattern (trying a plain entry that way gives the same answer, so erring this way is safe).
bool MayBePattern(std::string_view entry) {
  return entry.find_first_of("*?[]\\") != std::string_view::npos;
}

}  // namespace

bool CoverIndex::Covers(std::string_view name) const {
  if (plainEntries_.contains(platform::AsciiLower(name))) return true;
  for (const std::string& pattern : patternEntries_) {
    if (IsCoveredBy(name, pattern)) return true;
  }
  return false;
}

void CoverIndex::Add(std::string_view entry) {
  if (MayBePattern(entry)) {
    patternEntries_.emplace_back(entry);
  } else {
    plainEntries_.insert(platform::AsciiLower(entry));
  }
}

}  // namespace trm
