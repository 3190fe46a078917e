// Input: the bytes of a stub file. Reads them into a fresh project, splits the scope paths
// both ways and reconciles every project type with every mismatch action, checking what must
// hold whatever the file says.
#include "fuzz_support.h"
#include "tpsdk/message_log.h"
#include "tpsdk/project.h"

namespace {

using fuzz::Check;

// The stub paths end in a separator and every directory is a whole, non-empty part, all within
// one line; returns how many directories there are.
std::size_t CheckShape(const tpsdk::Project& project) {
  const std::string& paths = project.GetStubPaths();
  Check((paths.empty() || paths.back() == '|') && paths.find_first_of("\r\n") == std::string::npos);
  std::size_t count = 0;
  for (const auto* dirs :
       {&project.GetLocalDirs(), &project.GetFolderDirs(), &project.GetGlobalDirs()}) {
    for (const std::string& dir : *dirs) {
      Check(!dir.empty() && dir.find_first_of("|\r\n") == std::string::npos);
      ++count;
    }
  }
  return count;
}

// By placeholder every non-empty part finds a scope; by place only the first three count.
void CheckSplit(tpsdk::Project& project) {
  const std::string& paths = project.GetStubPaths();
  std::size_t parts = 0;
  for (std::size_t i = 0; i < paths.size(); ++i) {
    parts += paths[i] != '|' && (i == 0 || paths[i - 1] == '|');
  }
  project.DeriveScopeDirectories(false);
  Check(CheckShape(project) == parts);
  project.DeriveScopeDirectories(true);
  CheckShape(project);
  Check(project.GetLocalDirs().size() == (parts >= 1) &&
        project.GetFolderDirs().size() == (parts >= 2) &&
        project.GetGlobalDirs().size() == (parts >= 3));
}

void Reconcile(std::string_view content, int type, int action, bool withProjectPaths) {
  tpsdk::Project project;
  project.ReadStubText(content);
  project.SetFolderProjectNames("F", "P");
  if (withProjectPaths) project.SetProjectPaths("/r/F/P", "c:\\r\\F", "%os%/d/r/");
  const std::string before = project.GetStubPaths();
  const auto& stub = project.GetStubTypePaths(type);
  const bool stubComplete = !stub[0].empty() && !stub[1].empty() && !stub[2].empty();
  const bool useProjectFile = action == tpsdk::kMismatchUseProjectFile && withProjectPaths;
  project.ClearMessages();

  const int result = project.MatchStubAndProjectPaths(type, action);
  Check(result == 0 || result == tpsdk::kWarning || result == tpsdk::kError);
  Check(action != tpsdk::kMismatchReject || result != tpsdk::kWarning);
  Check((result == 0) == (project.GetMessages()[0] == '\0'));
  CheckShape(project);
  // Only a complete set of three paths is taken, and then split by place.
  if (project.GetStubPaths() != before) {
    Check(stubComplete || useProjectFile);
    Check(project.GetLocalDirs().size() <= 1 && project.GetFolderDirs().size() <= 1 &&
          project.GetGlobalDirs().size() <= 1);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view content = fuzz::Text(data, size);
  const bool typed = content.find("TESSEL_PROJECT_PDLTYPE: ") != std::string_view::npos;

  tpsdk::Project project;
  const int status = project.ReadStubText(content);
  Check(status == project.GetStatus());
  // The typed reader leaves the run-file paths alone and keeps every path within one line;
  // the run-file reader drops brackets, parentheses and white space, and only warns.
  Check(!typed || (project.GetStubPaths().empty() && project.GetPrintAndForgetPath()[0] == '\0'));
  Check(typed || (project.GetStubPaths().find_first_of("[]() \t") == std::string::npos &&
                  (status & ~tpsdk::kWarning) == 0));
  for (int type = tpsdk::kProjectPs; type <= tpsdk::kProjectPpmlGa; ++type) {
    for (const std::string& path : project.GetStubTypePaths(type)) {
      Check(typed ? path.find_first_of("\r\n)") == std::string::npos : path.empty());
    }
  }
  CheckSplit(project);

  // The same bytes as a path.
  std::string normalised, expanded;
  tpsdk::Project::NormalisePath(normalised, content);
  Check(normalised.size() <= content.size() + 1);
  tpsdk::Project::ExpandProjectPath(expanded, content);
  Check(expanded.empty() || (expanded.back() == '/' && expanded.find('\\') == std::string::npos));

  // Reconciling is cheap next to reading: bound the input so that every type and action, with
  // and without project paths, runs.
  for (int run = 0; size <= 4096 && run < 4 * 3 * 2; ++run) {
    Reconcile(content, run / 6, run / 2 % 3, run % 2 == 0);
  }
  return 0;
}
