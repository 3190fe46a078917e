#pragma once
// A project's scope folders on disk and the interpreter run file that defines them, for the
// tests of the project model and of what stands on it. The project is "P" in folder "F".

#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>

#include "scratch_folder.h"

namespace km_test {

// Text of an interpreter run file whose SETPPATH block lists the paths, one per line, each
// in parentheses with its backslashes doubled.
std::string RunFileText(std::initializer_list<std::string_view> paths);

class ProjectTree {
 public:
  explicit ProjectTree(std::string_view tag = "tpsdk");

  const std::filesystem::path& root() const { return folder_.path(); }
  // Scope paths as the run file lists them, placeholders kept, each ending in "/".
  const std::string& scopePath(int scope) const { return scopePaths_[scope]; }
  // The folder of a scope for folder "F" and project "P".
  std::filesystem::path ScopeFolder(int scope) const;
  // Creates the resource file in the scope's folder; returns its path.
  std::filesystem::path Resource(int scope, std::string_view name,
                                 std::string_view bytes = "data") const;
  // The run file listing the three scope paths (local, folder shared, global shared).
  const std::filesystem::path& stubPath() const { return stubPath_; }
  // The Print-and-Forget folder of project "P" in folder "F".
  std::filesystem::path PrintAndForgetFolder() const { return root() / "tpcpfd" / "F" / "P"; }
  // A second run file naming the Print-and-Forget folder (made here) before the three scope
  // paths; returns its path.
  std::filesystem::path PrintAndForgetStub() const {
    std::filesystem::create_directories(PrintAndForgetFolder());
    const std::string folder = (root() / "tpcpfd").string() + "/$$FOLDER./$$PROJECT./";
    return File("src/paf.run",
                RunFileText({folder, scopePaths_[0], scopePaths_[1], scopePaths_[2]}));
  }
  // Writes text as root/name and returns the path.
  std::filesystem::path File(std::string_view name, std::string_view text) const {
    return folder_.File(name, text);
  }

 private:
  ScratchFolder folder_;
  std::string scopePaths_[3];
  std::filesystem::path stubPath_;
};

}  // namespace km_test
