#include "interpreter/folder_listing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <memory>

#include "stream/wildcard.h"

namespace trm {

std::vector<std::string> ListFolderFiles(const std::string& folder,
                                         const std::vector<std::string>& exclusions) {
  std::vector<std::string> names;
  const std::unique_ptr<DIR, int (*)(DIR*)> dir(opendir(folder.c_str()), closedir);
  if (!dir) return names;
  while (const dirent* entry = readdir(dir.get())) {
    const std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    // The entry itself, not what a link points at: a link may lead out of the folder.
    struct stat st {};
    if (fstatat(dirfd(dir.get()), entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(st.st_mode)) {
      continue;
    }
    const bool excluded =
        std::any_of(exclusions.begin(), exclusions.end(),
                    [&](const std::string& pattern) { return WildcardMatch(pattern, name); });
    if (excluded || std::find(names.begin(), names.end(), name) != names.end()) continue;
    names.emplace_back(name);
  }
  return names;
}

}  // namespace trm
