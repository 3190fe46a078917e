#include "encoding/source_file.h"

#include <filesystem>

#include "frame/library_state.h"
#include "platform/file_layer.h"
#include "trm.h"

namespace trm {

int ReadSourceFile(const JobContext& context, const std::string& path,
                   std::vector<unsigned char>& data) {
  std::error_code error;
  auto status = std::filesystem::status(path, error);
  if (!std::filesystem::exists(status)) return context.Fail(TRM_SOURCE_MISSING, path);
  if (!std::filesystem::is_regular_file(status)) return context.Fail(TRM_SOURCE_UNREADABLE, path);
  auto size = std::filesystem::file_size(path, error);
  if (error) return context.Fail(TRM_SOURCE_UNREADABLE, path);
  if (size == 0 || size > kMaximumSourceSize) return context.Fail(TRM_SOURCE_SIZE, path);
  auto bytes = platform::ReadWholeFile(path.c_str());
  if (!bytes) return context.Fail(TRM_SOURCE_UNREADABLE, path);
  // The file may have changed between the size check and the read.
  if (bytes->empty() || bytes->size() > kMaximumSourceSize) {
    return context.Fail(TRM_SOURCE_SIZE, path);
  }
  data = std::move(*bytes);
  return TRM_OK;
}

}  // namespace trm
