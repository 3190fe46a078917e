#pragma once
// Which of a project's resources a job takes: the type and scope filter of the flags, then the
// pattern list, each resource once.
#include <cstdint>
#include <functional>
#include <string_view>

#include "frame/records.h"
#include "tpsdk/project.h"

namespace trm {

// True when the flags leave a resource of this type and scope out.
bool IsFilteredOut(std::string_view type, int scope, std::uint32_t flags);

using ResourceVisitor = std::function<int(const tpsdk::ProjectElement&)>;

// For each pattern of `patterns` (every name when unset or empty), in order, and each element in
// project order: `selected` for an element the filter keeps, the pattern matches and no earlier
// pattern selected; `filteredOut`, when given, for each element the filter leaves out. Stops at
// the first visitor result other than TRM_OK and returns it; TRM_OK otherwise.
int ForEachSelectedResource(const tpsdk::Project& project, const OptionalList& patterns,
                            std::uint32_t flags, const ResourceVisitor& selected,
                            const ResourceVisitor& filteredOut = {});

}  // namespace trm
