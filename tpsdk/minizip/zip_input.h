#pragma once
// Reading a zip archive for minizip. For every entry, minizip reads its record in the central
// directory at the end of the file, then its local header and its data in pieces of 16 KiB,
// seeking before each read; through stdio that is a seek and a read system call per piece,
// and a larger stdio buffer would be thrown away at every jump. This reader keeps two windows
// of the file, one for the directory and one for the data, each refilled by one large read.

#include <ioapi.h>

#include <cstdint>
#include <vector>

#include "platform/unique_fd.h"

namespace tpsdk {

class ZipInput {
 public:
  ZipInput();
  ZipInput(const ZipInput&) = delete;
  ZipInput& operator=(const ZipInput&) = delete;

  // The functions for unzOpen2_64, which read this object: it must outlive the unzFile. One
  // archive is open at a time; only reading is supported.
  zlib_filefunc64_def Functions();

 private:
  struct Window {
    std::vector<char> data;
    std::uint64_t start = 0;
    std::size_t length = 0;  // bytes of the file in data
    std::uint64_t lastUse = 0;
  };

  bool Open(const char* path, int mode);
  unsigned long Read(void* out, unsigned long size);
  long Seek(std::uint64_t offset, int origin);
  int Close();
  // Reads the file from the position into the window; false on a read error.
  bool Fill(Window& window);

  platform::UniqueFd fd_;
  std::uint64_t size_ = 0;
  std::uint64_t position_ = 0;
  bool failed_ = false;
  std::uint64_t uses_ = 0;
  Window windows_[2];
};

}  // namespace tpsdk
