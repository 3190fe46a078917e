// The tar side of the archive engine: 512-byte records in blocks, bare names, optional volumes.
// Extraction works in the current folder (the caller changed into the target and holds the
// process lock) and never writes outside it: bare names only, no links or devices created, no
// link followed, no setuid/setgid/sticky bits.

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "archive_engine.h"
#include "platform/unique_fd.h"

namespace tpsdk {
namespace {

constexpr std::size_t kRecord = 512;
constexpr long kDefaultBlocking = 20;
constexpr long kMaxBlocking = 4096;
constexpr std::uint64_t kMaxOctal11 = 077777777777ULL;  // what 11 octal digits hold
constexpr int kMaxReadRetries = 12;
// Reading takes the archive in pieces of at least this size, whatever its blocking; writing
// without volumes gathers whole blocks up to it: few system calls, large reads and writes.
constexpr std::size_t kPiece = 256 * 1024;
// After a seek past an entry's data the next read is short: most likely only the next header
// is needed before the next seek.
constexpr std::size_t kPieceAfterSeek = 8192;
constexpr std::string_view kCannotOpen = "ERROR (Minizip): Cannot open %s or %s.tpc";

constexpr std::size_t kNameAt = 0, kNameSize = 100;
constexpr std::size_t kModeAt = 100, kUidAt = 108, kGidAt = 116, kSizeAt = 124, kMtimeAt = 136;
constexpr std::size_t kChecksumAt = 148, kChecksumSize = 8, kTypeAt = 156;

enum class Mode { kNone, kCreate, kList, kExtract };

struct Options {
  Mode mode = Mode::kNone;
  bool modeConflict = false;
  bool keepExisting = false;
  bool reblock = false;
  long blocking = kDefaultBlocking;
  bool badBlocking = false;
  std::string archive;
  std::vector<std::string> names;
};

Options ParseOptions(const ArgumentVector& args) {
  Options options;
  auto setMode = [&options](Mode mode) {
    if (options.mode != Mode::kNone && options.mode != mode) options.modeConflict = true;
    options.mode = mode;
  };
  for (std::size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() < 2 || arg[0] != '-') {
      options.names.push_back(arg);
      continue;
    }
    for (std::size_t k = 1; k < arg.size(); ++k) {
      switch (arg[k]) {
        case 'c':
          setMode(Mode::kCreate);
          break;
        case 't':
          setMode(Mode::kList);
          break;
        case 'x':
          setMode(Mode::kExtract);
          break;
        case 'k':
          options.keepExisting = true;
          break;
        case 'B':
          options.reblock = true;
          break;
        case 'f':
          if (i + 1 < args.size()) options.archive = args[++i];
          break;
        case 'b':
          if (i + 1 < args.size()) {
            const std::string& value = args[++i];
            char* end = nullptr;
            const long n = std::strtol(value.c_str(), &end, 10);
            if (end == value.c_str() || *end || n < 1 || n > kMaxBlocking) {
              options.badBlocking = true;
            } else {
              options.blocking = n;
            }
          }
          break;
        case 'T':  // name files are not used by the engine
          if (i + 1 < args.size()) ++i;
          break;
        default:
          break;  // v, i, D, h, m, o, p, s, z, Z: no effect here
      }
    }
  }
  return options;
}

// "/" and "\" both separate: containers made on Windows hold backslashes.
std::string BareName(std::string_view name) {
  const std::size_t at = name.find_last_of("/\\");
  return std::string(at == std::string_view::npos ? name : name.substr(at + 1));
}

bool IsDotName(const std::string& name) {
  return name.empty() || name == "." || name == "..";
}

// Leading white space, then octal digits up to the field's end, a NUL or white space.
bool ReadOctal(const unsigned char* field, std::size_t size, std::uint64_t& value) {
  std::size_t i = 0;
  auto isSpace = [](unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  while (i < size && isSpace(field[i])) ++i;
  if (i > 0 && (i == size || field[i] == 0)) return false;  // only white space
  value = 0;
  for (; i < size && field[i] != 0 && !isSpace(field[i]); ++i) {
    if (field[i] < '0' || field[i] > '7') return false;
    value = value * 8 + (field[i] - '0');
  }
  return true;
}

// The sum of the record's bytes with the checksum field counted as blanks.
std::uint32_t HeaderSum(const unsigned char* record) {
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < kRecord; ++i) {
    const bool inChecksum = i >= kChecksumAt && i < kChecksumAt + kChecksumSize;
    sum += inChecksum ? ' ' : record[i];
  }
  return sum;
}

void PutOctal(unsigned char* record, std::size_t at, int digits, std::uint64_t value) {
  char text[32];
  std::snprintf(text, sizeof text, "%*llo ", digits, static_cast<unsigned long long>(value));
  std::memcpy(record + at, text, static_cast<std::size_t>(digits) + 1);
}

struct Header {
  std::string name;
  char type = 0;
  std::uint64_t size = 0;
  unsigned mode = 0600;
};

class TarRun {
 public:
  TarRun(ArchiveEngine& engine, Options options)
      : engine_(engine),
        options_(std::move(options)),
        blockSize_(static_cast<std::size_t>(options_.blocking) * kRecord) {}

  void Fail(int tag, const std::string& file, int error) {
    engine_.SetFirstError(kInternalFailure, {tag, file, std::strerror(error)});
  }
  void FailCancelled(int tag) {
    stopped_ = true;
    engine_.SetFirstError(kInternalFailure, {tag, engine_.GetShortVolumeName(), "CANCELLED"});
  }

  void Create();
  void Read(bool extract);

 private:
  // Writing.
  bool OpenOutput(const std::string& path);
  bool WriteBlock();
  bool PutBytes(const unsigned char* data, std::size_t size);
  void ArchiveFile(const std::string& path);
  bool CopyFileData(int fd, const std::string& path, std::uint64_t size);

  // Reading.
  bool OpenInput();
  const unsigned char* NextRecord();
  bool ReadHeader(Header& header);
  bool SkipData(const Header& header);
  void ExtractEntry(const Header& header, bool validation);
  void ExtractFile(const Header& header, const std::string& bare, bool validation);
  void MakeFolder(const Header& header);

  ArchiveEngine& engine_;
  Options options_;
  std::size_t blockSize_;
  std::vector<unsigned char> block_;
  std::size_t blockUsed_ = 0;    // writing: bytes filled; reading: bytes consumed
  std::size_t blockFilled_ = 0;  // reading: bytes read into the block
  bool firstBlock_ = true;
  bool inputEnded_ = false;
  platform::UniqueFd archive_;
  std::string archivePath_;
  std::uint64_t archiveSize_ = 0;  // reading a regular file: its size; otherwise 0
  std::size_t nextRead_ = 0;       // reading: bytes the next read asks for; 0: the buffer
  long volumeBlocks_ = 0;
  long volumeIndex_ = 0;
  bool overwriteAll_ = false;
  bool stopped_ = false;
  long temporaryCount_ = 0;
};

// ---- Creation ----

bool TarRun::OpenOutput(const std::string& path) {
  archivePath_ = path;
  archive_.reset(open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600));
  if (!archive_ || fchmod(archive_.get(), 0600) != 0) {
    archive_.reset();
    engine_.SetFirstError(kCannotOpen, {path, path});
    stopped_ = true;
    return false;
  }
  engine_.Status().text = FormatMessage("Creating archive: %s", {path});
  return true;
}

bool TarRun::WriteBlock() {
  if (stopped_) return false;
  const long volumeSize = engine_.GetVolumeSize();
  if (volumeSize > 0 && !archive_) {
    if (volumeBlocks_ >= volumeSize) volumeBlocks_ = 0;
    engine_.Status().text = "_VOLUME_TRANSITION_";
    if (engine_.CallProgress() != 0) return FailCancelled(83), false;
    engine_.MakeVolumeName(volumeIndex_);
    if (engine_.CallVolumeHook() != 0) return FailCancelled(83), false;
    if (!OpenOutput(engine_.GetFullVolumeName())) return false;
  }
  // The buffer's whole blocks; at the end, what it holds made up to a whole block.
  const std::size_t size = (blockUsed_ + blockSize_ - 1) / blockSize_ * blockSize_;
  const ssize_t written = write(archive_.get(), block_.data(), size);
  if (written < 0) {
    Fail(5, archivePath_, errno);
    stopped_ = true;
    return false;
  }
  if (static_cast<std::size_t>(written) != size) {
    Fail(52, archivePath_, ENOSPC);
    stopped_ = true;
    return false;
  }
  std::fill(block_.begin(), block_.end(), 0);
  blockUsed_ = 0;
  if (volumeSize > 0 && ++volumeBlocks_ >= volumeSize) {
    if (close(archive_.release()) != 0) {
      Fail(5, archivePath_, errno);
      stopped_ = true;
      return false;
    }
    ++volumeIndex_;
  }
  return true;
}

bool TarRun::PutBytes(const unsigned char* data, std::size_t size) {
  while (size > 0) {
    const std::size_t n = std::min(size, block_.size() - blockUsed_);
    std::memcpy(block_.data() + blockUsed_, data, n);
    blockUsed_ += n;
    data += n;
    size -= n;
    if (blockUsed_ == block_.size() && !WriteBlock()) return false;
  }
  return true;
}

// Copies size bytes straight into the block buffer; a file that shrank is padded with zeros so
// that the archive stays readable.
bool TarRun::CopyFileData(int fd, const std::string& path, std::uint64_t size) {
  ArchiveStatus& status = engine_.Status();
  std::uint64_t left = size;
  bool failed = false;
  while (left > 0) {
    const std::size_t room = std::min<std::uint64_t>(left, block_.size() - blockUsed_);
    ssize_t got = 0;
    if (!failed) {
      do {
        got = read(fd, block_.data() + blockUsed_, room);
      } while (got < 0 && errno == EINTR);
      if (got < 0) {
        Fail(8, path, errno);
        failed = true;
      } else if (got == 0) {
        Fail(61, "minizip/create", EIO);
        failed = true;
      }
    }
    const std::size_t used = failed ? room : static_cast<std::size_t>(got);
    blockUsed_ += used;
    left -= used;
    if (!failed) {
      status.bytesDone += used;
      status.currentDone += used;
      if (engine_.CallProgress() != 0) return FailCancelled(85), false;
    }
    if (blockUsed_ == block_.size() && !WriteBlock()) return false;
  }
  // The rest of the last record stays zero.
  const std::size_t tail = blockUsed_ % kRecord;
  if (tail != 0) {
    blockUsed_ += kRecord - tail;
    if (blockUsed_ == block_.size() && !WriteBlock()) return false;
  }
  return true;
}

void TarRun::ArchiveFile(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0) return Fail(7, path, errno);
  if (S_ISDIR(st.st_mode)) return;
  if (!S_ISREG(st.st_mode)) return Fail(69, path, EINVAL);
  const std::size_t slash = path.find_last_of('/');
  const std::string bare = slash == std::string::npos ? path : path.substr(slash + 1);
  if (bare.size() >= kNameSize) return Fail(70, path, ENAMETOOLONG);
  const platform::UniqueFd fd(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd || fstat(fd.get(), &st) != 0) return Fail(7, path, errno);
  const auto size = static_cast<std::uint64_t>(st.st_size);
  if (!S_ISREG(st.st_mode) || size > kMaxOctal11) return Fail(69, path, EFBIG);

  unsigned char header[kRecord] = {};
  std::memcpy(header + kNameAt, bare.data(), bare.size());
  // A number that does not fit its field is written as 0: owners are never restored.
  auto fits6 = [](std::uint64_t v) { return v <= 0777777 ? v : 0; };
  PutOctal(header, kModeAt, 6, st.st_mode & 07777);
  PutOctal(header, kUidAt, 6, fits6(st.st_uid));
  PutOctal(header, kGidAt, 6, fits6(st.st_gid));
  PutOctal(header, kSizeAt, 11, size);
  PutOctal(header, kMtimeAt, 11,
           st.st_mtime < 0 ? 0 : std::min<std::uint64_t>(st.st_mtime, kMaxOctal11));
  char checksum[16];
  std::snprintf(checksum, sizeof checksum, "%6o", HeaderSum(header));
  std::memcpy(header + kChecksumAt, checksum, 7);  // six digits and a NUL

  ArchiveStatus& status = engine_.Status();
  status.currentFile = path;
  status.currentSize = size;
  status.currentDone = 0;
  ++status.filesDone;
  if (!PutBytes(header, kRecord)) return;
  CopyFileData(fd.get(), path, size);
}

void TarRun::Create() {
  ArchiveStatus& status = engine_.Status();
  const std::vector<std::string>& files = options_.names;
  status.files = static_cast<long>(files.size());
  std::uint64_t estimate = 2 * kRecord;
  for (const std::string& file : files) {
    struct stat st {};
    if (stat(file.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
    const auto size = static_cast<std::uint64_t>(st.st_size);
    status.totalBytes += size;
    estimate += kRecord + (size + kRecord - 1) / kRecord * kRecord;
  }
  engine_.SetEstimatedLength(estimate);
  const long volumeSize = engine_.GetVolumeSize();
  const std::uint64_t volumeBytes = static_cast<std::uint64_t>(volumeSize) * blockSize_;
  engine_.SetVolumeCount(
      volumeSize > 0 ? static_cast<long>((estimate + volumeBytes - 1) / volumeBytes) : 0);
  status.filesDone = 0;
  status.bytesDone = 0;
  status.currentFile.clear();
  status.currentSize = status.currentDone = 0;

  std::string path = options_.archive;
  if (volumeSize > 0) {
    engine_.MakeVolumeName(0);
    path = engine_.GetFullVolumeName();
  }
  if (!OpenOutput(path)) return;
  // Volumes are written block by block: each volume is announced before its first block.
  block_.assign(
      volumeSize > 0 ? blockSize_ : std::max<std::size_t>(1, kPiece / blockSize_) * blockSize_, 0);

  for (const std::string& file : files) {
    if (stopped_ || engine_.IsCancelled()) break;
    ArchiveFile(file);
  }
  if (!stopped_ && !engine_.IsCancelled()) {
    const unsigned char zeros[2 * kRecord] = {};
    if (PutBytes(zeros, sizeof zeros) && blockUsed_ > 0) WriteBlock();
  }
  if (archive_ && close(archive_.release()) != 0) Fail(5, archivePath_, errno);
  if (volumeSize > 0 && !stopped_) {
    status.text = "_VOLUMES_COMPLETE_";
    engine_.CallProgress();
  }
}

// ---- Reading ----

bool TarRun::OpenInput() {
  const std::string& path = options_.archive;
  archivePath_ = path;
  archive_.reset(open(path.c_str(), O_RDONLY | O_CLOEXEC));
  blockUsed_ = blockFilled_ = 0;
  nextRead_ = 0;
  firstBlock_ = true;
  inputEnded_ = false;
  if (!archive_) {
    engine_.SetFirstError(kCannotOpen, {path, path});
    return false;
  }
  struct stat st {};
  archiveSize_ = fstat(archive_.get(), &st) == 0 && S_ISREG(st.st_mode)
                     ? static_cast<std::uint64_t>(st.st_size)
                     : 0;
  return true;
}

// The next record of the archive, or nullptr when the archive has ended.
const unsigned char* TarRun::NextRecord() {
  if (blockUsed_ + kRecord <= blockFilled_) {
    blockUsed_ += kRecord;
    return block_.data() + blockUsed_ - kRecord;
  }
  if (inputEnded_) return nullptr;
  const std::size_t wanted = nextRead_ > 0 ? std::min(nextRead_, block_.size()) : block_.size();
  nextRead_ = 0;
  std::size_t filled = 0;
  int failures = 0;
  while (filled < wanted) {
    const ssize_t got = read(archive_.get(), block_.data() + filled, wanted - filled);
    if (got < 0) {
      if (errno == EINTR) continue;
      Fail(6, archivePath_, errno);
      if (++failures >= kMaxReadRetries) {
        Fail(53, archivePath_, errno);
        break;
      }
      continue;
    }
    failures = 0;
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  if (filled < wanted) {
    inputEnded_ = true;
    // Other writers end a file archive with a short block of whole records; only a torn record
    // or an archive without any record is a failure.
    const bool torn = filled % kRecord != 0 || (firstBlock_ && filled == 0);
    if (!options_.reblock && torn) Fail(firstBlock_ ? 54 : 55, archivePath_, EIO);
  }
  firstBlock_ = false;
  blockFilled_ = filled / kRecord * kRecord;  // a torn last record carries nothing
  blockUsed_ = 0;
  if (blockFilled_ == 0) return nullptr;
  blockUsed_ = kRecord;
  return block_.data();
}

bool TarRun::ReadHeader(Header& header) {
  const unsigned char* record = NextRecord();
  if (!record) return false;
  const std::uint32_t sum = HeaderSum(record);
  std::uint64_t stored = 0;
  if (sum == 256) return false;
  if (!ReadOctal(record + kChecksumAt, kChecksumSize, stored) || stored != sum) return false;
  char name[kNameSize];
  std::memcpy(name, record + kNameAt, kNameSize);
  name[kNameSize - 1] = 0;
  header.name = name;
  header.type = static_cast<char>(record[kTypeAt]);
  std::uint64_t mode = 0;
  header.mode = ReadOctal(record + kModeAt, 8, mode) ? static_cast<unsigned>(mode & 07777) : 0600;
  header.size = 0;
  if (header.type != '1' && !ReadOctal(record + kSizeAt, 12, header.size)) {
    // Without a size there is no telling where the next header starts.
    Fail(75, header.name, EINVAL);
    return false;
  }
  return true;
}

bool TarRun::SkipData(const Header& header) {
  // Data past what was read is passed over with a seek when the file certainly holds it; a
  // short archive is read on, to fail as it always did.
  const std::uint64_t records = (header.size + kRecord - 1) / kRecord;
  const std::uint64_t buffered = (blockFilled_ - blockUsed_) / kRecord;
  if (records > buffered && archiveSize_ > 0 && !inputEnded_) {
    const std::uint64_t beyond = (records - buffered) * kRecord;
    const off_t at = lseek(archive_.get(), 0, SEEK_CUR);
    if (at >= 0 && static_cast<std::uint64_t>(at) + beyond <= archiveSize_ &&
        lseek(archive_.get(), static_cast<off_t>(beyond), SEEK_CUR) >= 0) {
      blockUsed_ = blockFilled_ = 0;
      nextRead_ = kPieceAfterSeek;
      return true;
    }
  }
  for (std::uint64_t left = header.size; left > 0; left -= std::min<std::uint64_t>(left, kRecord)) {
    if (!NextRecord()) {
      Fail(75, header.name, EIO);
      return false;
    }
  }
  return true;
}

void TarRun::MakeFolder(const Header& header) {
  std::string name = header.name;
  while (!name.empty() && (name.back() == '/' || name.back() == '\\')) name.pop_back();
  // Only the last part of the path, and only a real name: nothing is made outside this folder.
  const std::string bare = BareName(name);
  if (IsDotName(bare)) return;
  if (mkdir(bare.c_str(), 0700 | (header.mode & 0777)) == 0) return;
  const int error = errno;
  struct stat st {};
  if (error == EEXIST && lstat(bare.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return;
  Fail(17, bare, error);
}

void TarRun::ExtractFile(const Header& header, const std::string& bare, bool validation) {
  if (IsDotName(bare)) {
    Fail(9, header.name, EINVAL);
    SkipData(header);
    return;
  }
  struct stat st {};
  const bool present = lstat(bare.c_str(), &st) == 0;
  if (!overwriteAll_ && !validation && present) {
    const std::string answer = engine_.AskOverwrite(bare);
    if (answer == "N") {
      SkipData(header);
      return;
    }
    if (answer == "A") overwriteAll_ = true;
  }
  // A file of that name is replaced only by renaming a whole private copy over it: a broken
  // archive, a full disk or a stop never leaves a cut file, and the old file stays as it was
  // until then. A link at the name is replaced, never written through; anything else that is
  // not a regular file stays. A new name is written in place and removed again if cut.
  if (present && (options_.keepExisting || !(S_ISREG(st.st_mode) || S_ISLNK(st.st_mode)))) {
    Fail(9, bare, options_.keepExisting ? EEXIST : S_ISDIR(st.st_mode) ? EISDIR : EINVAL);
    SkipData(header);
    return;
  }
  constexpr int kCreate = O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC;
  std::string target = bare;
  platform::UniqueFd fd;
  if (!present) fd.reset(open(bare.c_str(), kCreate, header.mode & 0777));
  if (!fd && (present || errno == EEXIST)) {
    target = ".km_untar_" + std::to_string(getpid()) + "_" + std::to_string(++temporaryCount_);
    fd.reset(open(target.c_str(), kCreate, header.mode & 0777));
  }
  if (!fd) {
    Fail(9, bare, errno);
    SkipData(header);
    return;
  }

  ArchiveStatus& status = engine_.Status();
  bool writing = true;
  if (validation) {
    std::error_code ignored;
    engine_.SetFoundProjectFile(std::filesystem::current_path(ignored).string() + "/" + bare);
  } else {
    status.currentFile = bare;
    status.currentSize = header.size;
    status.currentDone = 0;
    ++status.filesDone;
    if (engine_.CallProgress() != 0) writing = false;
  }
  bool complete = true;
  for (std::uint64_t left = header.size; left > 0;) {
    const unsigned char* record = NextRecord();
    if (!record) {
      Fail(75, header.name, EIO);
      complete = false;
      break;
    }
    // The record and whatever follows it in the block buffer, up to the entry's end.
    const std::size_t inBlock = blockFilled_ - (blockUsed_ - kRecord);
    const std::size_t chunk = std::min<std::uint64_t>(left, inBlock);
    blockUsed_ += (chunk + kRecord - 1) / kRecord * kRecord - kRecord;
    left -= chunk;
    if (!writing) {
      complete = false;  // stopped by the progress hook or a failed write
      continue;
    }
    const ssize_t written = write(fd.get(), record, chunk);
    if (written < 0 || static_cast<std::size_t>(written) != chunk) {
      Fail(10, bare, written < 0 ? errno : ENOSPC);
      writing = false;
      complete = false;  // also when this was the entry's last piece
      continue;
    }
    if (!validation) {
      status.bytesDone += chunk;
      status.currentDone += chunk;
      if (engine_.CallProgress() != 0) writing = false;
    }
  }
  if (close(fd.release()) != 0) {
    Fail(11, bare, errno);
    complete = false;
  }
  if (complete && target != bare && rename(target.c_str(), bare.c_str()) != 0) {
    Fail(9, bare, errno);
    complete = false;
  }
  if (!complete) {
    unlink(target.c_str());
    if (validation) engine_.SetFoundProjectFile("");
  }
}

void TarRun::ExtractEntry(const Header& header, bool validation) {
  const char type = header.type;
  const bool trailingSeparator =
      !header.name.empty() && (header.name.back() == '/' || header.name.back() == '\\');
  if (type == '5' || ((type == 0 || type == '0') && trailingSeparator)) {
    MakeFolder(header);
    SkipData(header);
    return;
  }
  // Links, devices and FIFOs are never created.
  if (type == '1' || type == '2' || type == '3' || type == '4' || type == '6') {
    SkipData(header);
    return;
  }
  if (type != 0 && type != '0') Fail(71, header.name, EINVAL);
  ExtractFile(header, BareName(header.name), validation);
}

void TarRun::Read(bool extract) {
  block_.assign(std::max(blockSize_, kPiece), 0);
  ArchiveStatus& status = engine_.Status();
  const bool validation = extract && options_.names.size() == 1 && options_.names[0] == "!";
  Header header;
  if (!validation) {
    if (!OpenInput()) return;
    while (!engine_.IsCancelled() && ReadHeader(header)) {
      ++status.files;
      status.totalBytes += header.size;
      status.text = FormatMessage("Validating archive: %s", {header.name});
      engine_.CallProgress();
      if (!SkipData(header)) break;
    }
    archive_.reset();
    if (!extract) return;
  }
  if (!OpenInput()) return;
  status.text = FormatMessage("Extracting archive: %s", {options_.archive});
  const bool one = !validation && options_.names.size() == 1;
  auto wanted = [&](const std::string& name) {
    if (validation) {
      return name.find(".tpf") != std::string::npos || name.find(".TPF") != std::string::npos;
    }
    if (options_.names.empty()) return true;
    for (const std::string& n : options_.names) {
      if (n == name) return true;
    }
    return false;
  };
  while (!engine_.IsCancelled() && ReadHeader(header)) {
    if (!wanted(header.name)) {
      if (!SkipData(header)) break;
      continue;
    }
    ExtractEntry(header, validation);
    if (validation || one) break;
  }
  archive_.reset();
}

}  // namespace

int PdtarMain(ArchiveEngine& engine, const ArgumentVector& args) {
  Options options = ParseOptions(args);
  if (options.mode == Mode::kNone || options.modeConflict || options.badBlocking) {
    engine.SetFirstError(kInternalFailure, {76, "minizip/tar", std::strerror(EINVAL)});
    return 1;
  }
  const Mode mode = options.mode;
  TarRun run(engine, std::move(options));
  if (mode == Mode::kCreate) {
    run.Create();
  } else {
    run.Read(mode == Mode::kExtract);
  }
  return engine.HasError() ? 1 : 0;
}

}  // namespace tpsdk
