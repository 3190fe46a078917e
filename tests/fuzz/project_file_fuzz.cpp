// Any bytes as a project file: reading never crashes, and a file that reads without an error
// composes into a text that reads back without an error and composes into the same text.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

#include "tpsdk/project.h"

namespace {

const std::filesystem::path& Root() {
  static const std::filesystem::path root =
      std::filesystem::temp_directory_path() / ("km-fuzz-tpf-" + std::to_string(getpid()));
  return root;
}

// The run file of an installation whose three scopes live under Root(); a few resources exist,
// so that names resolve both to existing files and to where new ones would go.
const std::string& StubText() {
  static const std::string text = [] {
    const std::string root = Root().string();
    return "%!PS\n[\n(" + root + "/$$FOLDER./$$PROJECT./)\n(" + root + "/$$FOLDER./shared/)\n(" +
           root + "/global/)\n] SETPPATH\n";
  }();
  return text;
}

std::unique_ptr<tpsdk::Project> NewProject() {
  auto project = std::make_unique<tpsdk::Project>();
  project->ReadStubText(StubText());
  return project;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  namespace fs = std::filesystem;
  std::error_code error;
  for (const char* folder : {"F/P", "F/shared", "global"}) {
    fs::create_directories(Root() / folder, error);
    if (error) return 1;
  }
  for (const char* file : {"F/P/a.ps", "F/shared/s.sub", "global/t.jtk"}) {
    std::FILE* out = std::fopen((Root() / file).c_str(), "w");
    if (!out) return 1;
    std::fclose(out);
  }
  StubText();  // built before the handler below, so destroyed after it ran
  std::atexit([] {
    std::error_code ignored;
    std::filesystem::remove_all(Root(), ignored);
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  auto project = NewProject();
  project->ParseProjectText("fuzz.tpf", text);
  if (project->GetStatus() & tpsdk::kError) return 0;
  // The writer refuses resources without both names: the reader would refuse the file.
  if (project->GetElementCount() > 0 &&
      (!*project->GetFolderName() || !*project->GetProjectName())) {
    return 0;
  }
  const std::string composed = project->ComposeProjectFile();

  auto again = NewProject();
  again->ParseProjectText("fuzz.tpf", composed);
  if (again->GetStatus() & tpsdk::kError) std::abort();
  const std::string recomposed = again->ComposeProjectFile();
  if (recomposed == composed) return 0;
  // History records without actions are read but never written, so the block that held only
  // such records is written empty once and then not at all.
  std::string withoutEmptyHistory = composed;
  constexpr std::string_view kEmptyHistory = "<MODIFICATIONS>\n</MODIFICATIONS>\n\n";
  const std::size_t at = withoutEmptyHistory.find(kEmptyHistory);
  if (at != std::string::npos) withoutEmptyHistory.erase(at, kEmptyHistory.size());
  if (recomposed != withoutEmptyHistory) std::abort();
  return 0;
}
