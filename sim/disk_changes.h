#pragma once
// What a job did to the disk, seen by kmsim itself: the flat folder before and after the
// job, compared file by file. Nothing a job prints or defines can change this account.

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace kmsim {

struct FileIdentity {
  std::uint64_t inode = 0;
  std::int64_t size = 0;
  std::int64_t modifiedNs = 0;
  std::int64_t changedNs = 0;
  bool operator==(const FileIdentity&) const = default;
};

// Printer name -> identity of every regular file in the flat folder. False on a read error.
using DiskSnapshot = std::map<std::string, FileIdentity>;
bool TakeSnapshot(int flatFolder, DiskSnapshot& snapshot);

// Report records in name order: "added NAME", "replaced NAME" (the name held another file
// or the file was written), "removed NAME".
std::vector<std::string> Changes(const DiskSnapshot& before, const DiskSnapshot& after);

}  // namespace kmsim
