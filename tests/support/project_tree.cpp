#include "project_tree.h"

#include <string>

namespace km_test {

std::string RunFileText(std::initializer_list<std::string_view> paths) {
  std::string text = "%!PS\n% resource folders of this installation\n[\n";
  for (std::string_view path : paths) {
    text += '(';
    for (char c : path) {
      if (c == '\\') text += '\\';
      text += c;
    }
    text += ")\n";
  }
  text += "] SETPPATH\n";
  return text;
}

ProjectTree::ProjectTree(std::string_view tag) : folder_(tag) {
  const std::string base = (folder_.path() / "scopes").string();
  scopePaths_[0] = base + "/$$FOLDER./$$PROJECT./";
  scopePaths_[1] = base + "/$$FOLDER./fshared/";
  scopePaths_[2] = base + "/gshared/";
  stubPath_ =
      folder_.File("src/mtbdos.run", RunFileText({scopePaths_[0], scopePaths_[1], scopePaths_[2]}));
  for (int scope = 0; scope < 3; ++scope) std::filesystem::create_directories(ScopeFolder(scope));
}

std::filesystem::path ProjectTree::ScopeFolder(int scope) const {
  static constexpr std::string_view kFolders[] = {"scopes/F/P", "scopes/F/fshared",
                                                  "scopes/gshared"};
  return folder_.path() / kFolders[scope];
}

std::filesystem::path ProjectTree::Resource(int scope, std::string_view name,
                                            std::string_view bytes) const {
  return folder_.File(
      (std::filesystem::path(ScopeFolder(scope)).lexically_relative(root()) / std::string(name))
          .string(),
      bytes);
}

}  // namespace km_test
