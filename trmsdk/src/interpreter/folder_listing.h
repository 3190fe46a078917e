#pragma once
#include <string>
#include <vector>

namespace trm {

// The names of the regular files of a folder, in the folder's own order, leaving out those that
// match one of the exclusion patterns (wildcards, letters folded); each name once. Subfolders,
// links and other special entries are not listed. Empty for a folder that cannot be read.
std::vector<std::string> ListFolderFiles(const std::string& folder,
                                         const std::vector<std::string>& exclusions = {});

}  // namespace trm
