#include "disk_changes.h"

#include <fcntl.h>
#include <sys/stat.h>

#include "folder_handle.h"
#include "printer_name.h"

namespace kmsim {

namespace {

std::int64_t Nanoseconds(const timespec& t) {
  return static_cast<std::int64_t>(t.tv_sec) * 1000000000 + t.tv_nsec;
}

}  // namespace

bool TakeSnapshot(int flatFolder, DiskSnapshot& snapshot) {
  snapshot.clear();
  std::vector<std::string> flats;
  if (!ListFolder(flatFolder, flats)) return false;
  for (const std::string& flat : flats) {
    // Files that stand for no printer name are reported as stranded by the export.
    const auto name = NameOfFlat(flat);
    struct stat st {};
    if (!name || ::fstatat(flatFolder, flat.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(st.st_mode)) {
      continue;
    }
    snapshot[*name] = {st.st_ino, st.st_size, Nanoseconds(st.st_mtim), Nanoseconds(st.st_ctim)};
  }
  return true;
}

std::vector<std::string> Changes(const DiskSnapshot& before, const DiskSnapshot& after) {
  std::vector<std::string> records;
  auto old = before.begin();
  auto now = after.begin();
  while (old != before.end() || now != after.end()) {
    if (now == after.end() || (old != before.end() && old->first < now->first)) {
      records.push_back("removed " + ReportEscape(old->first));
      ++old;
    } else if (old == before.end() || now->first < old->first) {
      records.push_back("added " + ReportEscape(now->first));
      ++now;
    } else {
      if (!(old->second == now->second)) records.push_back("replaced " + ReportEscape(now->first));
      ++old;
      ++now;
    }
  }
  return records;
}

}  // namespace kmsim
