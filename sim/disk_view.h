#pragma once
// The printer disk as the user sees it (DIR/mtbc/formlib/logo.frm) and as Ghostscript
// sees it (one flat folder, DIR/.kmsim/flat, a file per printer name). Files move between
// the two by rename only, so nothing is copied and nothing is lost if kmsim is stopped:
// the next Open finishes what the last run left in the flat folder.

#include <filesystem>
#include <string>
#include <vector>

#include "unique_fd.h"

namespace kmsim {

class DiskView {
 public:
  // Creates DIR when missing, takes the disk's lock (one kmsim per disk) and restores a
  // flat folder left behind. False with a message on failure.
  bool Open(const std::filesystem::path& dir, std::string& error);

  // Moves every file of the folder view into the flat folder. Symbolic links and other
  // non-regular files stay where they are, unseen by jobs, and are named in notes.
  bool Import(std::vector<std::string>& notes, std::string& error);

  // Moves every flat file back into the folder view. A file whose folder cannot be made
  // (a file already holds that name) stays in the flat folder and is named in notes.
  bool Export(std::vector<std::string>& notes, std::string& error);

  const std::filesystem::path& Root() const { return root_; }
  std::filesystem::path FlatFolder() const { return root_ / ".kmsim" / "flat"; }
  std::filesystem::path WorkFolder() const { return root_ / ".kmsim" / "run"; }
  std::filesystem::path TempFolder() const { return root_ / ".kmsim" / "tmp"; }

 private:
  std::filesystem::path root_;
  UniqueFd lock_;
};

}  // namespace kmsim
