#include "disk_view.h"

#include <fcntl.h>
#include <sys/file.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "printer_name.h"

namespace kmsim {

namespace fs = std::filesystem;

namespace {

// A folder we create or pass through must be a real folder, never a link to elsewhere.
bool EnsureFolder(const fs::path& path, std::string& error) {
  std::error_code ec;
  const fs::file_status status = fs::symlink_status(path, ec);
  if (status.type() == fs::file_type::directory) return true;
  if (status.type() != fs::file_type::not_found) {
    error = path.string() + " exists and is not a folder";
    return false;
  }
  if (!fs::create_directory(path, ec) && ec) {
    error = "cannot create " + path.string() + ": " + ec.message();
    return false;
  }
  return true;
}

std::string Relative(const fs::path& path, const fs::path& root) {
  return path.lexically_relative(root).generic_string();
}

}  // namespace

bool DiskView::Open(const fs::path& dir, std::string& error) {
  std::error_code ec;
  root_ = fs::absolute(dir, ec).lexically_normal();
  if (!root_.has_filename()) root_ = root_.parent_path();
  // The interpreter's sandbox matches permitted paths as patterns; a disk path that is one
  // would permit more than the disk.
  if (root_.native().find_first_of("*?[]\\") != std::string::npos) {
    error = "the disk path must not contain * ? [ ] or \\: " + root_.string();
    return false;
  }
  fs::create_directories(root_, ec);
  if (!EnsureFolder(root_, error) || !EnsureFolder(root_ / ".kmsim", error) ||
      !EnsureFolder(FlatFolder(), error) || !EnsureFolder(WorkFolder(), error) ||
      !EnsureFolder(TempFolder(), error)) {
    return false;
  }
  lock_.Reset(
      ::open((root_ / ".kmsim" / "lock").c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644));
  if (!lock_) {
    error = "cannot open the disk lock: " + std::string(std::strerror(errno));
    return false;
  }
  if (::flock(lock_.Get(), LOCK_EX | LOCK_NB) != 0) {
    error = "the disk " + root_.string() + " is in use by another kmsim";
    return false;
  }
  std::vector<std::string> notes;
  return Export(notes, error);
}

bool DiskView::Import(std::vector<std::string>& notes, std::string& error) {
  std::error_code ec;
  std::vector<fs::path> folders;
  fs::recursive_directory_iterator it(root_, fs::directory_options::none, ec);
  if (ec) {
    error = "cannot read " + root_.string() + ": " + ec.message();
    return false;
  }
  for (; it != fs::recursive_directory_iterator(); it.increment(ec)) {
    if (ec) break;
    const fs::path path = it->path();
    if (it.depth() == 0 && path.filename() == kPrivateFolder) {
      it.disable_recursion_pending();
      continue;
    }
    const fs::file_status status = it->symlink_status(ec);
    const std::string name = Relative(path, root_);
    if (status.type() == fs::file_type::directory) {
      folders.push_back(path);
      continue;
    }
    if (status.type() != fs::file_type::regular) {
      notes.push_back("skipped " + ReportEscape(name));
      continue;
    }
    const auto flat = FlatName(name);
    if (!flat) {
      notes.push_back("skipped " + ReportEscape(name));
      continue;
    }
    fs::rename(path, FlatFolder() / *flat, ec);
    if (ec) {
      error = "cannot move " + path.string() + " onto the disk: " + ec.message();
      return false;
    }
  }
  if (ec) {
    error = "cannot read " + root_.string() + ": " + ec.message();
    return false;
  }
  // Emptied folders go, deepest first; the export makes again those that hold files.
  std::sort(folders.begin(), folders.end(), [](const fs::path& a, const fs::path& b) {
    return a.native().size() > b.native().size();
  });
  for (const fs::path& folder : folders) {
    if (fs::is_empty(folder, ec)) fs::remove(folder, ec);
  }
  return true;
}

bool DiskView::Export(std::vector<std::string>& notes, std::string& error) {
  std::error_code ec;
  std::vector<fs::path> flats;
  for (fs::directory_iterator it(FlatFolder(), ec); !ec && it != fs::directory_iterator();
       it.increment(ec)) {
    flats.push_back(it->path());
  }
  if (ec) {
    error = "cannot read " + FlatFolder().string() + ": " + ec.message();
    return false;
  }
  std::sort(flats.begin(), flats.end());
  for (const fs::path& flat : flats) {
    const auto name = NameOfFlat(flat.filename().native());
    if (!name || fs::symlink_status(flat, ec).type() != fs::file_type::regular) {
      notes.push_back("stranded " + ReportEscape(flat.filename().native()));
      continue;
    }
    // Walk down the parts: every folder must be a real folder or be made now.
    fs::path target = root_;
    bool placed = true;
    std::size_t start = 0;
    while (true) {
      const std::size_t slash = name->find('/', start);
      if (slash == std::string::npos) break;
      target /= name->substr(start, slash - start);
      std::string ignored;
      if (!EnsureFolder(target, ignored)) {
        placed = false;
        break;
      }
      start = slash + 1;
    }
    if (placed) {
      target /= name->substr(start);
      const fs::file_type existing = fs::symlink_status(target, ec).type();
      placed = existing == fs::file_type::not_found || existing == fs::file_type::regular;
      if (placed) {
        fs::rename(flat, target, ec);
        placed = !ec;
      }
    }
    if (!placed) notes.push_back("conflict " + ReportEscape(*name));
  }
  return true;
}

}  // namespace kmsim
