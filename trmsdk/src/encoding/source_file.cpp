#include "encoding/source_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/path_kind.h"
#include "trm.h"

namespace trm {
namespace {

constexpr std::uint64_t kSequentialAdviceSize = std::uint64_t{1} << 20;

// 1012 saying what the path is instead of a file.
int NotRegular(const JobContext& context, const std::string& path, const struct stat& info) {
  std::string detail = path;
  detail.append(": ").append(platform::KindDescription(platform::KindOfMode(info.st_mode)));
  return context.Fail(TRM_SOURCE_UNREADABLE, detail);
}

}  // namespace

SourceFile::~SourceFile() {
  if (descriptor_ >= 0) close(descriptor_);
}

int SourceFile::Open(const JobContext& context, const std::string& path) {
  path_ = path;
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) {
    return context.Fail(
        errno == ENOENT || errno == ENOTDIR ? TRM_SOURCE_MISSING : TRM_SOURCE_UNREADABLE, path);
  }
  if (!S_ISREG(info.st_mode)) return NotRegular(context, path, info);
  if (info.st_size <= 0 || static_cast<std::uint64_t>(info.st_size) > kMaximumSourceSize) {
    return context.Fail(TRM_SOURCE_SIZE, path);
  }
  // Not blocking: a FIFO put in the file's place after the check must not hang the job.
  descriptor_ = open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (descriptor_ < 0) return context.Fail(TRM_SOURCE_UNREADABLE, path);
  // The size counted in a hexadecimal record must be the size read: take it from the open file.
  if (fstat(descriptor_, &info) != 0) return context.Fail(TRM_SOURCE_UNREADABLE, path);
  if (!S_ISREG(info.st_mode)) return NotRegular(context, path, info);
  if (info.st_size <= 0 || static_cast<std::uint64_t>(info.st_size) > kMaximumSourceSize) {
    return context.Fail(TRM_SOURCE_SIZE, path);
  }
  size_ = static_cast<std::uint64_t>(info.st_size);
  // Only files read in many pieces gain from read-ahead; for the rest it is a wasted call.
  if (size_ > kSequentialAdviceSize) posix_fadvise(descriptor_, 0, 0, POSIX_FADV_SEQUENTIAL);
  return TRM_OK;
}

bool SourceFile::ReadExactly(std::span<unsigned char> buffer) {
  std::size_t done = 0;
  while (done < buffer.size()) {
    ssize_t got = read(descriptor_, buffer.data() + done, buffer.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    done += static_cast<std::size_t>(got);
  }
  return true;
}

bool SourceFile::Peek(std::span<unsigned char> buffer) {
  ssize_t got;
  do {
    got = pread(descriptor_, buffer.data(), buffer.size(), 0);
  } while (got < 0 && errno == EINTR);
  return got == static_cast<ssize_t>(buffer.size());
}

bool SourceFile::AtEnd() {
  unsigned char extra;
  ssize_t got;
  do {
    got = read(descriptor_, &extra, 1);
  } while (got < 0 && errno == EINTR);
  return got == 0;
}

int ReadSourceFile(const JobContext& context, const std::string& path,
                   std::vector<unsigned char>& data) {
  SourceFile source;
  int code = source.Open(context, path);
  if (code != TRM_OK) return code;
  data.resize(source.size());
  if (!source.ReadExactly(data) || !source.AtEnd()) {
    return context.Fail(TRM_SOURCE_UNREADABLE, path);
  }
  return TRM_OK;
}

}  // namespace trm
