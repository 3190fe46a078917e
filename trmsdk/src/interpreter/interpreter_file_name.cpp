#include "interpreter/interpreter_file_name.h"

#include <vector>

#include "platform/ascii_case.h"

namespace trm {
namespace {

std::string WithoutDoubledSlashes(std::string_view path) {
  std::string reduced;
  reduced.reserve(path.size());
  for (char c : path) {
    if (c == '/' && !reduced.empty() && reduced.back() == '/') continue;
    reduced.push_back(c);
  }
  return reduced;
}

}  // namespace

std::optional<std::string> InterpreterPrinterName(std::string_view localPath,
                                                  std::string_view installationFolder) {
  const std::string path = WithoutDoubledSlashes(localPath);
  std::string folder = WithoutDoubledSlashes(installationFolder);
  if (folder.empty()) return std::nullopt;
  if (folder.back() != '/') folder.push_back('/');
  if (path.size() <= folder.size() ||
      !platform::EqualsIgnoringAsciiCase(std::string_view(path).substr(0, folder.size()), folder)) {
    return std::nullopt;
  }
  // "." and ".." are resolved here: the printer takes names only as plain parts, and a ".."
  // must not reach above the installation.
  std::vector<std::string_view> parts;
  std::string_view rest = std::string_view(path).substr(folder.size());
  while (!rest.empty()) {
    const std::size_t slash = rest.find('/');
    const std::string_view part = rest.substr(0, slash);
    rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (parts.empty()) return std::nullopt;
      parts.pop_back();
    } else {
      parts.push_back(part);
    }
  }
  if (parts.empty()) return std::nullopt;
  std::string name = "mtb";
  for (std::string_view part : parts) {
    name += '/';
    name += part;
  }
  return name;
}

}  // namespace trm
