#pragma once
// The printer disk as the user sees it (DIR/mtbc/formlib/logo.frm) and as Ghostscript
// sees it (one flat folder, DIR/.kmsim/flat, a file per printer name). Files move between
// the two by rename only, so nothing is copied and nothing is lost if kmsim is stopped:
// the next Open finishes what the last run left in the flat folder.
//
// Every step works on folder handles opened without following links, so a folder or file
// swapped for a link while kmsim runs cannot lead a file, or a job, out of DIR.

#include <filesystem>
#include <string>
#include <vector>

#include "platform/unique_fd.h"

namespace kmsim {

class DiskView {
 public:
  // Creates DIR when missing, takes the disk's lock (one kmsim per disk), empties the
  // private working folders and restores a flat folder left behind. False with a message.
  bool Open(const std::filesystem::path& dir, std::string& error);

  // Moves every file of the folder view into the flat folder. Links, special files and
  // files with more than one name stay where they are, unseen by jobs, and are named in
  // notes ("skipped NAME REASON").
  bool Import(std::vector<std::string>& notes, std::string& error);

  // Moves every flat file back into the folder view. A file whose folder cannot be made
  // (a file already holds that name) stays in the flat folder and is named in notes.
  bool Export(std::vector<std::string>& notes, std::string& error);

  // Empties the folders where a job could keep files outside the disk view.
  bool ClearScratch(std::string& error);

  const std::filesystem::path& Root() const { return root_; }
  // Handles for the interpreter, which reaches the folders through /proc/self/fd: the
  // disk's own path never reaches it (its sandbox splits paths at ":").
  int FlatFd() const { return flat_.get(); }
  int TempFd() const { return temp_.get(); }
  int RunFd() const { return run_.get(); }
  // The interpreter inherits the lock, so the disk stays taken while one runs.
  int LockFd() const { return lock_.get(); }

 private:
  bool ImportFolder(int folder, const std::string& prefix, std::vector<std::string>& notes,
                    std::string& error);
  bool Place(const std::string& flat, const std::string& name);

  std::filesystem::path root_;
  platform::UniqueFd rootFd_;
  platform::UniqueFd private_;
  platform::UniqueFd flat_;
  platform::UniqueFd run_;
  platform::UniqueFd temp_;
  platform::UniqueFd lock_;
};

}  // namespace kmsim
