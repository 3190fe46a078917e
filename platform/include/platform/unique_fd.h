#pragma once
// Ownership of one open file descriptor.

#include <unistd.h>

#include <utility>

namespace platform {

// Closes the descriptor it owns when it goes or is reset; moves hand the ownership on.
// A close error is not reported here: a caller that must know (data may fail only at close)
// closes the released descriptor itself.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(other.release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { reset(); }

  // The descriptor, still owned; -1 when there is none.
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  explicit operator bool() const { return valid(); }
  // Gives the descriptor up without closing it; the caller owns it from now on.
  int release() { return std::exchange(fd_, -1); }
  // Closes the owned descriptor (if any) and owns fd instead.
  void reset(int fd = -1) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }

 private:
  int fd_ = -1;
};

}  // namespace platform
