#include "platform/path_parts.h"

#include <string>

namespace platform {

namespace {

// Position just after the last separator, 0 when there is none.
std::size_t NameStart(std::string_view path) {
  for (std::size_t i = path.size(); i > 0; --i) {
    if (IsSeparator(path[i - 1])) return i;
  }
  return 0;
}

}  // namespace

// Both kinds count: paths that come from Windows-made projects still use backslashes.
bool IsSeparator(char c) {
  return c == '/' || c == '\\';
}

void FileNameOf(TextObject& target, const char* path) {
  target.clear();
  if (!path) return;
  const std::string_view text(path);
  target.set(std::string(text.substr(NameStart(text))).c_str());
}

void FolderOf(TextObject& target, const TextObject& path) {
  const std::string folder(path.view().substr(0, NameStart(path.view())));
  target.clear();
  std::string_view part(folder);
  // The root keeps its separator; any other folder loses its trailing one.
  if (part.size() > 1 && IsSeparator(part.back())) part.remove_suffix(1);
  target.set(std::string(part).c_str());
}

std::string FolderOfFile(std::string_view path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string_view::npos) return ".";
  if (slash == 0) return "/";
  return std::string(path.substr(0, slash));
}

std::string Beside(std::string_view path, std::string_view name) {
  const std::size_t slash = path.rfind('/');
  std::string result(slash == std::string_view::npos ? std::string_view()
                                                     : path.substr(0, slash + 1));
  return result.append(name);
}

}  // namespace platform
