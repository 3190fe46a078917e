#include "disk_view.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "folder_handle.h"
#include "printer_name.h"

namespace kmsim {

namespace fs = std::filesystem;

namespace {

// A printer name is at most this long, so deeper folders cannot hold one.
constexpr std::size_t kMaxNameLength = 255;

std::string Errno() {
  return std::strerror(errno);
}

// Why a folder entry is no file a job may see; empty when it is one.
std::string Unseen(const struct stat& st) {
  if (S_ISLNK(st.st_mode)) return "symlink";
  if (!S_ISREG(st.st_mode)) return "special-file";
  if (st.st_nlink != 1) return "hard-link";
  return {};
}

}  // namespace

bool DiskView::Open(const fs::path& dir, std::string& error) {
  std::error_code ec;
  root_ = fs::absolute(dir, ec).lexically_normal();
  if (!root_.has_filename()) root_ = root_.parent_path();
  fs::create_directories(root_, ec);
  rootFd_.reset(::open(root_.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!rootFd_) {
    error = (errno == ENOTDIR || errno == ELOOP ? root_.string() + " exists and is not a folder"
                                                : "cannot open " + root_.string() + ": " + Errno());
    return false;
  }
  // Only kmsim reaches into its own folder.
  private_ = OpenFolder(rootFd_.get(), std::string(kPrivateFolder), true, 0700);
  if (!private_ || ::fchmod(private_.get(), 0700) != 0) {
    error = "cannot open " + (root_ / kPrivateFolder).string() + " as a folder: " + Errno();
    return false;
  }
  lock_.reset(::openat(private_.get(), "lock", O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644));
  if (!lock_) {
    error = "cannot open the disk lock: " + Errno();
    return false;
  }
  if (::flock(lock_.get(), LOCK_EX | LOCK_NB) != 0) {
    error = "the disk " + root_.string() + " is in use by another kmsim";
    return false;
  }
  for (auto [fd, name] : {std::pair{&flat_, "flat"}, {&run_, "run"}, {&temp_, "tmp"}}) {
    *fd = OpenFolder(private_.get(), name, true, 0700);
    if (!*fd) {
      error =
          "cannot open " + (root_ / kPrivateFolder / name).string() + " as a folder: " + Errno();
      return false;
    }
  }
  if (!ClearScratch(error)) return false;
  std::vector<std::string> notes;
  return Export(notes, error);
}

bool DiskView::ClearScratch(std::string& error) {
  if (!RemoveContents(temp_.get()) || !RemoveContents(run_.get())) {
    error = "cannot empty " + (root_ / kPrivateFolder).string() + "/tmp and run: " + Errno();
    return false;
  }
  return true;
}

bool DiskView::Import(std::vector<std::string>& notes, std::string& error) {
  return ImportFolder(rootFd_.get(), "", notes, error);
}

bool DiskView::ImportFolder(int folder, const std::string& prefix, std::vector<std::string>& notes,
                            std::string& error) {
  std::vector<std::string> entries;
  if (!ListFolder(folder, entries)) {
    error = "cannot read " + ReportEscape((root_ / prefix).string()) + ": " + Errno();
    return false;
  }
  std::sort(entries.begin(), entries.end());
  for (const std::string& entry : entries) {
    if (prefix.empty() && entry == kPrivateFolder) continue;
    const std::string name = prefix + entry;
    struct stat st {};
    if (::fstatat(folder, entry.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (S_ISDIR(st.st_mode)) {
      const platform::UniqueFd sub = OpenFolder(folder, entry, false);
      if (!sub) {
        // Swapped for something else since the look.
        notes.push_back("skipped " + ReportEscape(name) + " symlink");
        continue;
      }
      if (name.size() >= kMaxNameLength) {
        notes.push_back("skipped " + ReportEscape(name) + " name");
        continue;
      }
      if (!ImportFolder(sub.get(), name + "/", notes, error)) return false;
      // Emptied folders go; the export makes again those that hold files.
      ::unlinkat(folder, entry.c_str(), AT_REMOVEDIR);
      continue;
    }
    std::string reason = Unseen(st);
    const auto flat = FlatName(name);
    if (reason.empty() && !flat) reason = "name";
    if (!reason.empty()) {
      notes.push_back("skipped " + ReportEscape(name) + " " + reason);
      continue;
    }
    if (::renameat(folder, entry.c_str(), flat_.get(), flat->c_str()) != 0) {
      if (errno == ENOENT) continue;  // gone since the listing
      error = "cannot move " + ReportEscape((root_ / name).string()) + " onto the disk: " + Errno();
      return false;
    }
    // What moved is what was at the name when it moved: check it again, now that nobody
    // but kmsim can reach it, and send back anything a job must not see.
    if (::fstatat(flat_.get(), flat->c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0) continue;
    reason = Unseen(st);
    if (reason.empty()) continue;
    notes.push_back("skipped " + ReportEscape(name) + " " + reason);
    if (::renameat2(flat_.get(), flat->c_str(), folder, entry.c_str(), RENAME_NOREPLACE) != 0) {
      // Its name was taken meanwhile; a link or special file holds no data of the disk.
      ::unlinkat(flat_.get(), flat->c_str(), 0);
    }
  }
  return true;
}

bool DiskView::Place(const std::string& flat, const std::string& name) {
  platform::UniqueFd folder(::fcntl(rootFd_.get(), F_DUPFD_CLOEXEC, 0));
  std::size_t start = 0;
  while (folder) {
    const std::size_t slash = name.find('/', start);
    if (slash == std::string::npos) break;
    folder = OpenFolder(folder.get(), name.substr(start, slash - start), true);
    start = slash + 1;
  }
  if (!folder) return false;
  const std::string leaf = name.substr(start);
  struct stat st {};
  if (::fstatat(folder.get(), leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 &&
      !S_ISREG(st.st_mode)) {
    return false;
  }
  // A rename replaces a name, it never writes through it: a link put there meanwhile goes.
  return ::renameat(flat_.get(), flat.c_str(), folder.get(), leaf.c_str()) == 0;
}

bool DiskView::Export(std::vector<std::string>& notes, std::string& error) {
  std::vector<std::string> flats;
  if (!ListFolder(flat_.get(), flats)) {
    error = "cannot read " + (root_ / kPrivateFolder / "flat").string() + ": " + Errno();
    return false;
  }
  std::sort(flats.begin(), flats.end());
  for (const std::string& flat : flats) {
    const auto name = NameOfFlat(flat);
    struct stat st {};
    if (!name || ::fstatat(flat_.get(), flat.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(st.st_mode)) {
      notes.push_back("stranded " + ReportEscape(flat));
      continue;
    }
    if (!Place(flat, *name)) notes.push_back("conflict " + ReportEscape(*name));
  }
  return true;
}

}  // namespace kmsim
