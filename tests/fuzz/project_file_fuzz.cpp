// Any bytes as a project file: reading never crashes, and a file that reads without an error
// composes into a text that reads back without an error and composes into the same text.
#include <memory>

#include "fuzz_support.h"
#include "tpsdk/project.h"

namespace {

// The run file of an installation whose three scopes live in the private folder; a few
// resources exist, so that names resolve both to existing files and to where new ones would go.
std::unique_ptr<tpsdk::Project> NewProject() {
  static const std::string stub = [] {
    const std::string root = fuzz::PrivateFolder().string();
    for (const char* file : {"F/P/a.ps", "F/shared/s.sub", "global/t.jtk"}) {
      fuzz::fs::create_directories((fuzz::PrivateFolder() / file).parent_path());
      fuzz::WriteFile(fuzz::PrivateFolder() / file, "");
    }
    return "%!PS\n[\n(" + root + "/$$FOLDER./$$PROJECT./)\n(" + root + "/$$FOLDER./shared/)\n(" +
           root + "/global/)\n] SETPPATH\n";
  }();
  auto project = std::make_unique<tpsdk::Project>();
  project->ReadStubText(stub);
  return project;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text = fuzz::Text(data, size);
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
  fuzz::Check(!(again->GetStatus() & tpsdk::kError));
  const std::string recomposed = again->ComposeProjectFile();
  if (recomposed == composed) return 0;
  // History records without actions are read but never written, so the block that held only
  // such records is written empty once and then not at all.
  std::string withoutEmptyHistory = composed;
  constexpr std::string_view kEmptyHistory = "<MODIFICATIONS>\n</MODIFICATIONS>\n\n";
  const std::size_t at = withoutEmptyHistory.find(kEmptyHistory);
  if (at != std::string::npos) withoutEmptyHistory.erase(at, kEmptyHistory.size());
  fuzz::Check(recomposed == withoutEmptyHistory);
  return 0;
}
