#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/file_helpers.h"

namespace platform {

// renameat2 refuses atomically; where the file system does not know the flag, a hard link,
// which never replaces either, does the same in two steps.
RenameResult RenameNoReplace(const char* source, const char* target) {
  if (!source || !target) return RenameResult::kFailed;
  if (renameat2(AT_FDCWD, source, AT_FDCWD, target, RENAME_NOREPLACE) == 0) {
    return RenameResult::kDone;
  }
  if (errno == EEXIST) return RenameResult::kTargetExists;
  if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) return RenameResult::kFailed;
  if (link(source, target) != 0) {
    return errno == EEXIST ? RenameResult::kTargetExists : RenameResult::kFailed;
  }
  // The target is complete now; a source that stays behind is only a second name for it.
  (void)unlink(source);
  return RenameResult::kDone;
}

}  // namespace platform
