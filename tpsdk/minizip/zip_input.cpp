#include "zip_input.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace tpsdk {
namespace {

constexpr std::size_t kWindow = 256 * 1024;

ZipInput& Input(voidpf opaque) {
  return *static_cast<ZipInput*>(opaque);
}

}  // namespace

ZipInput::ZipInput() {
  for (Window& window : windows_) window.data.resize(kWindow);
}

zlib_filefunc64_def ZipInput::Functions() {
  zlib_filefunc64_def functions{};
  functions.opaque = this;
  functions.zopen64_file = [](voidpf opaque, const void* path, int mode) -> voidpf {
    return Input(opaque).Open(static_cast<const char*>(path), mode) ? opaque : nullptr;
  };
  functions.zread_file = [](voidpf opaque, voidpf, void* out, uLong size) -> uLong {
    return Input(opaque).Read(out, size);
  };
  functions.zwrite_file = [](voidpf, voidpf, const void*, uLong) -> uLong { return 0; };
  functions.ztell64_file = [](voidpf opaque, voidpf) -> ZPOS64_T {
    return Input(opaque).position_;
  };
  functions.zseek64_file = [](voidpf opaque, voidpf, ZPOS64_T offset, int origin) -> long {
    return Input(opaque).Seek(offset, origin);
  };
  functions.zclose_file = [](voidpf opaque, voidpf) -> int { return Input(opaque).Close(); };
  functions.zerror_file = [](voidpf opaque, voidpf) -> int {
    return Input(opaque).failed_ ? 1 : 0;
  };
  return functions;
}

bool ZipInput::Open(const char* path, int mode) {
  if (fd_ || (mode & ZLIB_FILEFUNC_MODE_READWRITEFILTER) != ZLIB_FILEFUNC_MODE_READ) return false;
  fd_.reset(open(path, O_RDONLY | O_CLOEXEC));
  struct stat st {};
  if (!fd_ || fstat(fd_.get(), &st) != 0) {
    fd_.reset();
    return false;
  }
  size_ = static_cast<std::uint64_t>(st.st_size);
  position_ = 0;
  failed_ = false;
  for (Window& window : windows_) window.length = 0;
  return true;
}

unsigned long ZipInput::Read(void* out, unsigned long size) {
  char* to = static_cast<char*>(out);
  unsigned long done = 0;
  while (done < size) {
    Window* window = nullptr;
    for (Window& candidate : windows_) {
      if (position_ >= candidate.start && position_ - candidate.start < candidate.length) {
        window = &candidate;
      }
    }
    if (window == nullptr) {
      // Reading on from a window's end refills that window, so that the data streams through
      // one and the directory stays in the other; any other jump takes the one used least.
      window = windows_[0].lastUse <= windows_[1].lastUse ? &windows_[0] : &windows_[1];
      for (Window& candidate : windows_) {
        if (candidate.length > 0 && candidate.start + candidate.length == position_) {
          window = &candidate;
        }
      }
      if (!Fill(*window) || window->length == 0) break;
    }
    window->lastUse = ++uses_;
    const std::size_t at = static_cast<std::size_t>(position_ - window->start);
    const std::size_t n = std::min<std::uint64_t>(size - done, window->length - at);
    std::memcpy(to + done, window->data.data() + at, n);
    done += n;
    position_ += n;
  }
  return done;
}

bool ZipInput::Fill(Window& window) {
  window.start = position_;
  window.length = 0;
  while (window.length < window.data.size()) {
    const ssize_t got =
        pread(fd_.get(), window.data.data() + window.length, window.data.size() - window.length,
              static_cast<off_t>(window.start + window.length));
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      failed_ = true;
      return false;
    }
    if (got == 0) break;
    window.length += static_cast<std::size_t>(got);
  }
  return true;
}

long ZipInput::Seek(std::uint64_t offset, int origin) {
  switch (origin) {
    case ZLIB_FILEFUNC_SEEK_SET:
      position_ = offset;
      return 0;
    case ZLIB_FILEFUNC_SEEK_CUR:
      position_ += offset;
      return 0;
    case ZLIB_FILEFUNC_SEEK_END:
      position_ = size_ + offset;
      return 0;
    default:
      return -1;
  }
}

int ZipInput::Close() {
  const int fd = fd_.release();
  return fd >= 0 && close(fd) == 0 ? 0 : -1;
}

}  // namespace tpsdk
