#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace trm {

// A job is written under a scratch name beside its output: ".trm-<pid>-<8 hex digits>.part".
// It is short whatever the output's name, and its shape tells whose it is, so that the files
// of a writer that died can be found and removed.
std::string NewScratchName();

// The owner's process id of a name of exactly that shape, nothing for any other name.
std::optional<long> ScratchOwner(std::string_view name);

// Removes the regular files of scratch shape in the folder whose owners no longer run.
void RemoveDeadOwnersScratch(const std::string& folder);

}  // namespace trm
