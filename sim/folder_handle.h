#pragma once
// Folders reached by handle, one name at a time, never through a link.

#include <string>
#include <vector>

#include "platform/unique_fd.h"

namespace kmsim {

// Opens the folder name inside parent without following a link; with create, makes it
// first when missing (mode as given, less the umask). Errors leave errno set.
platform::UniqueFd OpenFolder(int parent, const std::string& name, bool create,
                              unsigned mode = 0777);

// The names in a folder ("." and ".." left out). False on a read error.
bool ListFolder(int folder, std::vector<std::string>& names);

// Removes everything inside the folder, sub-folders included, never following a link.
bool RemoveContents(int folder);

}  // namespace kmsim
