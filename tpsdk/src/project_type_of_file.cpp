#include <string>

#include "platform/file_helpers.h"
#include "tpsdk/message_catalogue.h"
#include "tpsdk/tpsdk.h"

namespace tpsdk {

int TpsdkProjectTypeOfFile(std::string& message, const char* projectFilePath) {
  const auto bytes = platform::ReadFileText(projectFilePath, kMaxProjectFileBytes);
  if (!bytes) {
    message = FormatMessage(msg::kCouldNotOpenFile, {projectFilePath});
    return -1;
  }
  const std::string_view text = *bytes;
  constexpr std::string_view kTag = "<PROJECT_TYPE>";
  const std::size_t at = text.find(kTag);
  if (at == std::string_view::npos) return 0;
  const std::size_t start = at + kTag.size();
  const std::size_t end = text.find('<', start);
  return Project::ProjectTypeFromName(
      text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start));
}

}  // namespace tpsdk
