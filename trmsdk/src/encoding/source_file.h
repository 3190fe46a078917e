#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "frame/job_file.h"

namespace trm {

// The largest local file a job embeds, in bytes.
inline constexpr std::uint32_t kMaximumSourceSize = 0x7FFFFFF;

// A local file to embed, opened after its checks: 1003 when missing, 1023 when empty or larger
// than the maximum source size, 1012 when it cannot be read (each naming the path; a path that
// is not a regular file is named with what it is, as in "x: is a folder").
class SourceFile {
 public:
  SourceFile() = default;
  ~SourceFile();
  SourceFile(const SourceFile&) = delete;
  SourceFile& operator=(const SourceFile&) = delete;

  int Open(const JobContext& context, const std::string& path);
  std::uint64_t size() const { return size_; }
  const std::string& path() const { return path_; }
  // Reads exactly buffer.size() bytes; false on a read error or an early end of the file.
  bool ReadExactly(std::span<unsigned char> buffer);
  // The first buffer.size() bytes, without moving the read position.
  bool Peek(std::span<unsigned char> buffer);
  // True when no byte follows what was read: the file did not grow while it was read.
  bool AtEnd();

 private:
  std::string path_;
  std::uint64_t size_ = 0;
  int descriptor_ = -1;
};

// The whole file; 1001 with its bytes, or a failure code as for SourceFile::Open, 1012 when the
// file changed size while it was read.
int ReadSourceFile(const JobContext& context, const std::string& path,
                   std::vector<unsigned char>& data);

}  // namespace trm
