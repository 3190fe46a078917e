#include "project/resource_selection.h"

#include <string>
#include <unordered_set>

#include "platform/ascii_case.h"
#include "stream/wildcard.h"
#include "trm.h"

namespace trm {

bool IsFilteredOut(std::string_view type, int scope, std::uint32_t flags) {
  const bool font = type == "fnt";
  if (type == "img" && (flags & TRM_PPS_SKIP_IMAGES)) return true;
  if (font && (flags & TRM_PPS_SKIP_FONTS)) return true;
  if (type == "oth" && !(flags & TRM_PPS_WITH_OTHER)) return true;
  if ((type == "mis" || type == "eps") && (flags & TRM_PPS_SKIP_MISC)) return true;
  if (scope == 1 && (flags & TRM_PPS_SKIP_FOLDER_SHARED)) return true;
  if (scope == 2 && (flags & TRM_PPS_SKIP_GLOBAL_SHARED)) return true;
  // Fonts go to the printer's global font library whatever their scope.
  if (font && (flags & TRM_PPS_SKIP_GLOBAL_SHARED)) return true;
  return type == "sub" && !(flags & TRM_PPS_WITH_SUBMISSION);
}

int ForEachSelectedResource(const tpsdk::Project& project, const OptionalList& patterns,
                            std::uint32_t flags, const ResourceVisitor& selected,
                            const ResourceVisitor& filteredOut) {
  static const std::vector<std::string> kEverything = {"*"};
  const std::vector<std::string>& list = patterns && !patterns->empty() ? *patterns : kEverything;
  // Names compare with letters folded, as the patterns do; a name is written once even when
  // several patterns take it. Exact names, not patterns: a resource whose name holds "*" must
  // not stand for the others.
  std::unordered_set<std::string> done;
  for (const std::string& pattern : list) {
    const bool all = IsAllPattern(pattern);
    for (std::size_t i = 0; i < project.GetElementCount(); ++i) {
      const tpsdk::ProjectElement& element = *project.GetElement(i);
      if (IsFilteredOut(element.GetType(), element.GetScope(), flags)) {
        if (filteredOut) {
          if (int code = filteredOut(element); code != TRM_OK) return code;
        }
        continue;
      }
      // A name equal to the entry is taken even when it holds wildcard characters itself.
      if (!all && !platform::EqualsIgnoringAsciiCase(element.GetName(), pattern) &&
          !WildcardMatch(pattern, element.GetName())) {
        continue;
      }
      if (!done.insert(platform::AsciiLower(element.GetName())).second) continue;
      if (int code = selected(element); code != TRM_OK) return code;
    }
  }
  return TRM_OK;
}

}  // namespace trm
