// The zip side of the archive engine over minizip: ZipMain writes a container, UnzipMain
// validates it, extracts one named entry or extracts every entry.
//
// Extraction only ever writes into the current folder, under the entry's bare name (what
// follows its last "/" or "\"), since containers come from other systems and other people.
// Each file is written to a private temporary name and renamed over the bare name once the
// entry has been read whole and its checksum matched: a link already at the name is replaced,
// never written through, and a failed or stopped entry leaves nothing behind.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unzip.h>
#include <zip.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "archive_engine.h"
#include "platform/unique_fd.h"
#include "zip_input.h"

namespace tpsdk {
namespace {

constexpr std::size_t kCreateBlock = 16384;
// Large enough that writing an entry costs few system calls, small enough to stay in cache.
constexpr std::size_t kExtractBlock = 256 * 1024;

bool IsOption(const std::string& arg) {
  return !arg.empty() && arg[0] == '-';
}

// Reads until the buffer is full or the file ends; -1 on a read error.
ssize_t ReadBlock(int fd, char* buffer, std::size_t size) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t got = read(fd, buffer + done, size - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return -1;
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return static_cast<ssize_t>(done);
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t put = write(fd, data, size);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    data += put;
    size -= static_cast<std::size_t>(put);
  }
  return true;
}

zip_fileinfo EntryTime(time_t modified) {
  zip_fileinfo info{};
  struct tm local {};
  if (localtime_r(&modified, &local) != nullptr) {
    info.tmz_date.tm_sec = static_cast<uInt>(local.tm_sec);
    info.tmz_date.tm_min = static_cast<uInt>(local.tm_min);
    info.tmz_date.tm_hour = static_cast<uInt>(local.tm_hour);
    info.tmz_date.tm_mday = static_cast<uInt>(local.tm_mday);
    info.tmz_date.tm_mon = static_cast<uInt>(local.tm_mon);
    info.tmz_date.tm_year = static_cast<uInt>(local.tm_year + 1900);
  }
  return info;
}

// Adds one file; false ends the run (a failure, in the error text, or a stop request).
bool AddFile(ArchiveEngine& engine, zipFile archive, const std::string& name, int level,
             std::vector<char>& buffer) {
  // The file is opened before its entry so that an unreadable file adds no empty entry.
  const platform::UniqueFd fd(open(name.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
  struct stat info {};
  if (!fd || fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
    engine.SetError("ERROR (Minizip): Could not read %s in archive", {name});
    return false;
  }
  const zip_fileinfo entryInfo = EntryTime(info.st_mtime);
  if (zipOpenNewFileInZip(archive, name.c_str(), &entryInfo, nullptr, 0, nullptr, 0, nullptr,
                          level != 0 ? Z_DEFLATED : 0, level) != ZIP_OK) {
    engine.SetError("ERROR (Minizip): Could not open %s in archive", {name});
    return false;
  }
  ArchiveStatus& status = engine.Status();
  status.currentFile = name;
  status.currentSize = static_cast<std::uint64_t>(info.st_size);
  status.currentDone = 0;
  ++status.filesDone;
  bool go = engine.CallProgress() == 0;
  while (go) {
    const ssize_t got = ReadBlock(fd.get(), buffer.data(), buffer.size());
    if (got < 0) {
      engine.SetError("ERROR (Minizip): Could not read %s in archive", {name});
      go = false;
      break;
    }
    if (got == 0) break;
    if (zipWriteInFileInZip(archive, buffer.data(), static_cast<unsigned>(got)) != ZIP_OK) {
      engine.SetError("ERROR (Minizip) Unexpected problem writing %s (disk full?)", {name});
      go = false;
      break;
    }
    status.bytesDone += static_cast<std::uint64_t>(got);
    status.currentDone += static_cast<std::uint64_t>(got);
    go = engine.CallProgress() == 0;
  }
  if (zipCloseFileInZip(archive) != ZIP_OK) {
    engine.SetError("ERROR (Minizip): Could not close %s in archive", {name});
    return false;
  }
  return go;
}

// What one extraction run does with the entries.
struct ExtractRun {
  ArchiveEngine& engine;
  unzFile archive;
  bool overwrite = false;
  std::vector<char> buffer = std::vector<char>(kExtractBlock);
};

// The size a ZIP64 extra field gives when the directory record says 0xFFFFFFFF; this minizip
// release leaves that marker in place on 64-bit systems.
std::uint64_t Zip64Size(std::uint64_t size, const std::vector<unsigned char>& extra) {
  constexpr std::uint64_t kMarker = 0xFFFFFFFF;
  if (size != kMarker) return size;
  for (std::size_t at = 0; at + 4 <= extra.size();) {
    const unsigned id = extra[at] | extra[at + 1] << 8;
    const std::size_t length = extra[at + 2] | extra[at + 3] << 8;
    if (id == 1 && length >= 8 && at + 12 <= extra.size()) {
      std::uint64_t value = 0;
      for (int i = 7; i >= 0; --i) value = value << 8 | extra[at + 4 + i];
      return value;
    }
    at += 4 + length;
  }
  return size;
}

// The entry's name as a C reader sees it (up to a NUL), whatever its length, and its declared
// size, also from a ZIP64 extra field.
bool CurrentEntry(ExtractRun& run, unz_file_info64& info, std::string& name) {
  int err = unzGetCurrentFileInfo64(run.archive, &info, nullptr, 0, nullptr, 0, nullptr, 0);
  if (err == UNZ_OK) {
    std::vector<char> text(info.size_filename + 1, '\0');
    std::vector<unsigned char> extra(info.size_file_extra);
    err = unzGetCurrentFileInfo64(run.archive, &info, text.data(), text.size(), extra.data(),
                                  extra.size(), nullptr, 0);
    name = text.data();
    info.uncompressed_size = Zip64Size(info.uncompressed_size, extra);
  }
  if (err != UNZ_OK) {
    run.engine.SetError("ERROR (Minizip): Error# %d in unzGetCurrentFileInfo", {err});
    return false;
  }
  return true;
}

std::string BareName(const std::string& name) {
  const std::size_t slash = name.find_last_of("/\\");
  return slash == std::string::npos ? name : name.substr(slash + 1);
}

bool IsExtractable(const std::string& bare) {
  return !bare.empty() && bare != "." && bare != "..";
}

// A new file beside the target that nobody else has opened; mode 0666 less the umask.
platform::UniqueFd CreatePrivateFile(std::string& path) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    path = ".km_unzip_" + std::to_string(getpid()) + "_" + std::to_string(attempt);
    platform::UniqueFd fd(
        open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666));
    if (fd || errno != EEXIST) return fd;
  }
  return platform::UniqueFd();
}

timespec EntryModified(const tm_unz& date) {
  struct tm local {};
  local.tm_sec = static_cast<int>(date.tm_sec);
  local.tm_min = static_cast<int>(date.tm_min);
  local.tm_hour = static_cast<int>(date.tm_hour);
  local.tm_mday = static_cast<int>(date.tm_mday);
  local.tm_mon = static_cast<int>(date.tm_mon);
  local.tm_year = static_cast<int>(date.tm_year) - 1900;
  local.tm_isdst = -1;
  const time_t when = mktime(&local);
  return when == static_cast<time_t>(-1) ? timespec{0, UTIME_OMIT} : timespec{when, 0};
}

// Copies the open entry into fd; false on a failure (in the error text) or a stop request.
bool CopyEntry(ExtractRun& run, int fd, std::uint64_t declaredSize) {
  ArchiveStatus& status = run.engine.Status();
  std::uint64_t written = 0;
  for (;;) {
    const int got = unzReadCurrentFile(run.archive, run.buffer.data(),
                                       static_cast<unsigned>(run.buffer.size()));
    if (got < 0) {
      run.engine.SetError("ERROR (Minizip): Error# %d in unzReadCurrentFile", {got});
      return false;
    }
    // An entry holds exactly the size its directory record declares: never more (a bomb), never
    // less (cut; this minizip checks the checksum only once that size is reached).
    if (got == 0 ? written != declaredSize
                 : static_cast<std::uint64_t>(got) > declaredSize - written) {
      run.engine.SetError("ERROR (Minizip): Error# %d in unzReadCurrentFile", {UNZ_BADZIPFILE});
      return false;
    }
    if (got == 0) return true;
    if (!WriteAll(fd, run.buffer.data(), static_cast<std::size_t>(got))) {
      run.engine.SetError("ERROR (Minizip): Unexpected problem writing file (disk full?)");
      return false;
    }
    written += static_cast<std::uint64_t>(got);
    status.bytesDone += static_cast<std::uint64_t>(got);
    status.currentDone += static_cast<std::uint64_t>(got);
    if (run.engine.CallProgress() != 0) return false;
  }
}

// Extracts the current entry under its bare name; false ends the run.
bool ExtractEntry(ExtractRun& run, std::string* extractedAs = nullptr) {
  unz_file_info64 info{};
  std::string name;
  if (!CurrentEntry(run, info, name)) return false;
  const std::string bare = BareName(name);
  if (!IsExtractable(bare)) return true;
  int err = unzOpenCurrentFile(run.archive);
  if (err != UNZ_OK) {
    run.engine.SetError("ERROR (Minizip): Error# %d in unzOpenCurrentFile", {err});
    return false;
  }
  struct stat existing {};
  if (!run.overwrite && lstat(bare.c_str(), &existing) == 0) {
    const std::string answer = run.engine.AskOverwrite(bare);
    if (answer == "N") {
      unzCloseCurrentFile(run.archive);
      return true;
    }
    if (answer == "A") run.overwrite = true;
  }
  std::string partial;
  platform::UniqueFd fd = CreatePrivateFile(partial);
  if (!fd) {
    run.engine.SetError("ERROR (Minizip): Could not open file %s", {bare});
    unzCloseCurrentFile(run.archive);
    return false;
  }
  ArchiveStatus& status = run.engine.Status();
  status.currentFile = bare;
  status.currentSize = info.uncompressed_size;
  status.currentDone = 0;
  ++status.filesDone;
  bool done = run.engine.CallProgress() == 0 && CopyEntry(run, fd.get(), info.uncompressed_size);
  if (done) {
    const timespec times[2] = {{0, UTIME_OMIT}, EntryModified(info.tmu_date)};
    futimens(fd.get(), times);
    if (close(fd.release()) != 0) {
      run.engine.SetError("ERROR (Minizip): Unexpected problem writing file (disk full?)");
      done = false;
    }
  }
  fd.reset();
  // The checksum only means something for an entry read to its end.
  err = unzCloseCurrentFile(run.archive);
  if (done && err != UNZ_OK) {
    run.engine.SetError("ERROR (Minizip): Error# %d in unzCloseCurrentFile", {err});
    done = false;
  }
  if (done && rename(partial.c_str(), bare.c_str()) != 0) {
    run.engine.SetError("ERROR (Minizip): Could not open file %s", {bare});
    done = false;
  }
  if (!done) {
    unlink(partial.c_str());
    return false;
  }
  if (extractedAs != nullptr) *extractedAs = bare;
  return true;
}

// Moves to the next entry after index i of count; false (with the error) when that fails.
bool NextEntry(ExtractRun& run, ZPOS64_T i, ZPOS64_T count) {
  if (i + 1 >= count) return true;
  const int err = unzGoToNextFile(run.archive);
  if (err != UNZ_OK) {
    run.engine.SetError("ERROR (Minizip): Error# %d unzGoToNextFile", {err});
    return false;
  }
  return true;
}

// Sums the entries' sizes into the total; false when the directory cannot be walked.
bool PreScan(ExtractRun& run, ZPOS64_T& count) {
  unz_global_info64 global{};
  const int err = unzGetGlobalInfo64(run.archive, &global);
  if (err != UNZ_OK) {
    run.engine.SetError("ERROR (Minizip): Error# %d in unzGetGlobalInfo", {err});
    return false;
  }
  count = global.number_entry;
  unzGoToFirstFile(run.archive);
  for (ZPOS64_T i = 0; i < count; ++i) {
    unz_file_info64 info{};
    std::string name;
    if (!CurrentEntry(run, info, name)) return false;
    // Claims are the archive's, not facts: the total stops at the largest number.
    std::uint64_t& total = run.engine.Status().totalBytes;
    total = std::min<std::uint64_t>(total, UINT64_MAX - info.uncompressed_size) +
            info.uncompressed_size;
    if (!NextEntry(run, i, count)) return false;
  }
  return true;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::string CurrentFolder() {
  std::vector<char> path(4096);
  while (getcwd(path.data(), path.size()) == nullptr) {
    if (errno != ERANGE) return ".";
    path.resize(path.size() * 2);
  }
  return path.data();
}

void ValidateMode(ExtractRun& run, ZPOS64_T count, const std::string& archiveName) {
  bool found = false;
  for (ZPOS64_T i = 0; i < count; ++i) {
    unz_file_info64 info{};
    std::string name;
    if (!CurrentEntry(run, info, name)) return;
    if (Lower(name).find(".tpf") != std::string::npos) {
      std::string bare;
      if (!ExtractEntry(run, &bare)) return;
      if (!bare.empty()) {
        run.engine.SetFoundProjectFile(CurrentFolder() + "/" + bare);
        found = true;
      }
    }
    if (!NextEntry(run, i, count)) return;
  }
  if (!found) {
    run.engine.SetError("ERROR (Minizip): No .tpf file found in archive %s", {archiveName});
  }
}

void ExtractNamedMode(ExtractRun& run, ZPOS64_T count, const std::string& archiveName,
                      const std::string& entry) {
  for (ZPOS64_T i = 0; i < count; ++i) {
    unz_file_info64 info{};
    std::string name;
    if (!CurrentEntry(run, info, name)) return;
    if (BareName(name) == entry) {
      ExtractEntry(run);
      return;
    }
    if (!NextEntry(run, i, count)) return;
  }
  run.engine.SetError("ERROR (Minizip): No .tpf file found in archive %s", {archiveName});
}

void ExtractAllMode(ExtractRun& run, ZPOS64_T count) {
  run.engine.Status().files = static_cast<long>(count);
  for (ZPOS64_T i = 0; i < count; ++i) {
    if (!ExtractEntry(run) || !NextEntry(run, i, count)) return;
  }
}

struct ArchiveCloser {
  unzFile archive;
  ~ArchiveCloser() {
    if (archive != nullptr) unzClose(archive);
  }
};

}  // namespace

std::string ZipArchiveName(const std::string& given) {
  return given.find('.') == std::string::npos ? given + ".tpc" : given;
}

int ZipMain(ArchiveEngine& engine, const ArgumentVector& args) {
  if (args.size() <= 1) return 0;
  int level = Z_DEFAULT_COMPRESSION;
  std::string archiveName;
  bool haveArchive = false;
  std::vector<std::string> files;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (IsOption(args[i])) {
      for (const char letter : args[i]) {
        if (letter >= '0' && letter <= '9') level = letter - '0';
      }
    } else if (!haveArchive) {
      archiveName = args[i];
      haveArchive = true;
    } else {
      files.push_back(args[i]);
    }
  }
  std::vector<char> buffer(kCreateBlock);
  archiveName = ZipArchiveName(archiveName);
  ArchiveStatus& status = engine.Status();
  status.text = FormatMessage("Creating archive: %s", {archiveName});
  const zipFile archive = zipOpen(archiveName.c_str(), APPEND_STATUS_CREATE);
  if (archive == nullptr) {
    engine.SetError("ERROR (Minizip): Cannot create archive %s", {archiveName});
    return 1;
  }
  status.files = static_cast<long>(files.size());
  for (const std::string& file : files) {
    struct stat info {};
    if (stat(file.c_str(), &info) == 0)
      status.totalBytes += static_cast<std::uint64_t>(info.st_size);
  }
  for (const std::string& file : files) {
    if (!AddFile(engine, archive, file, level, buffer)) break;
  }
  if (zipClose(archive, nullptr) != ZIP_OK) {
    engine.SetError("ERROR (Minizip): Could not close archive %s", {archiveName});
  }
  // A stop request keeps the valid container written so far; a failure leaves none.
  if (engine.HasError()) unlink(archiveName.c_str());
  return engine.HasError() ? 1 : 0;
}

int UnzipMain(ArchiveEngine& engine, const ArgumentVector& args) {
  bool validate = false;
  bool named = false;
  bool overwrite = false;
  std::vector<std::string> operands;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (!IsOption(args[i])) {
      operands.push_back(args[i]);
      continue;
    }
    for (const char letter : args[i]) {
      const char lower = static_cast<char>(std::tolower(static_cast<unsigned char>(letter)));
      validate = validate || lower == 'v';
      named = named || lower == 'a';
      overwrite = overwrite || lower == 'o';
    }
  }
  const std::string given = operands.empty() ? std::string() : operands[0];
  const std::string entry = operands.size() > 1 ? operands[1] : std::string();
  std::string archiveName = given;
  ZipInput input;
  zlib_filefunc64_def functions = input.Functions();
  ArchiveCloser closer{unzOpen2_64(archiveName.c_str(), &functions)};
  if (closer.archive == nullptr) {
    archiveName = given + ".tpc";
    closer.archive = unzOpen2_64(archiveName.c_str(), &functions);
  }
  engine.Status().text = FormatMessage("Extracting archive: %s", {archiveName});
  if (closer.archive == nullptr) {
    engine.SetError("ERROR (Minizip): Cannot open %s or %s.tpc", {given, given});
    return 1;
  }
  ExtractRun run{engine, closer.archive, overwrite};
  ZPOS64_T count = 0;
  if (!PreScan(run, count)) return 1;
  unzGoToFirstFile(run.archive);
  if (validate) {
    run.overwrite = true;
    ValidateMode(run, count, archiveName);
  } else if (named) {
    run.overwrite = true;
    ExtractNamedMode(run, count, archiveName, entry);
  } else if (!entry.empty()) {
    const int err = unzLocateFile(run.archive, entry.c_str(), 0);
    if (err != UNZ_OK) {
      engine.SetError("ERROR (Minizip): File %s not found in archive", {entry});
    } else {
      ExtractEntry(run);
    }
  } else {
    ExtractAllMode(run, count);
  }
  return engine.HasError() ? 1 : 0;
}

}  // namespace tpsdk
