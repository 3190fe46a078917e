#include "temporary_job_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/temp_name.h"
#include "platform/text_object.h"

namespace tasks {

namespace {
// Names carry a random part; a few clashes in a row mean something else is wrong.
constexpr int kAttempts = 8;
}  // namespace

std::optional<TemporaryJobFile> TemporaryJobFile::Create(const char* prefix, std::string* reason) {
  int error = 0;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    platform::TextObject name;
    if (!platform::MakeTempName(name, prefix)) break;
    // Exclusive and not through a link: the name must be a new file of this process.
    const int fd = open(name.cstr(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd >= 0) {
      if (close(fd) != 0) {
        error = errno;
        unlink(name.cstr());
        break;
      }
      return TemporaryJobFile(name.cstr());
    }
    error = errno;
    if (error != EEXIST) break;
  }
  if (reason) {
    *reason = "cannot create a temporary file in " + platform::TempDirectory();
    if (error != 0) reason->append(": ").append(std::strerror(error));
  }
  return std::nullopt;
}

TemporaryJobFile::TemporaryJobFile(TemporaryJobFile&& other) noexcept
    : path_(std::move(other.path_)) {
  other.path_.clear();
}

TemporaryJobFile& TemporaryJobFile::operator=(TemporaryJobFile&& other) noexcept {
  if (this != &other) {
    Remove();
    path_ = std::move(other.path_);
    other.path_.clear();
  }
  return *this;
}

TemporaryJobFile::~TemporaryJobFile() {
  Remove();
}

void TemporaryJobFile::Remove() {
  if (!path_.empty()) unlink(path_.c_str());
}

}  // namespace tasks
