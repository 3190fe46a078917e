// Any bytes as a tar container: extraction and validation never crash and never leave anything
// but plain files and folders inside the target folder, without setuid, setgid or sticky bits.

#include <sys/stat.h>

#include "archive_engine.h"
#include "fuzz_support.h"

namespace {

namespace fs = fuzz::fs;

// Only the archive and the target folder may exist beside each other; inside the target only
// plain files and folders.
void CheckAndEmpty(const fs::path& work) {
  for (const auto& entry : fs::directory_iterator(work.parent_path())) {
    const std::string name = entry.path().filename();
    fuzz::Check(name == "in.tar" || name == "work", "written outside the target",
                entry.path().c_str());
  }
  for (const auto& entry : fs::recursive_directory_iterator(work)) {
    struct stat st {};
    fuzz::Check(lstat(entry.path().c_str(), &st) == 0, "vanished", entry.path().c_str());
    fuzz::Check(S_ISREG(st.st_mode) || S_ISDIR(st.st_mode), "not a file or folder",
                entry.path().c_str());
    fuzz::Check((st.st_mode & 07000) == 0, "special mode bits", entry.path().c_str());
  }
  for (const auto& entry : fs::directory_iterator(work)) fs::remove_all(entry.path());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fs::path archive = fuzz::PrivateFolder() / "in.tar";
  const fs::path work = fuzz::PrivateFolder() / "work";
  fs::create_directories(work);
  fuzz::WriteFile(archive, fuzz::Text(data, size));
  // The format programs directly: the engine would hand anything that starts with "PK" to zip.
  // Extraction works in the current folder; the fuzzer's own relative paths need it back.
  const fs::path start = fs::current_path();
  fs::current_path(work);
  tpsdk::ArchiveEngine engine;
  tpsdk::PdtarMain(engine, {"pdtar_main", "-f", archive, "-xvi"});
  CheckAndEmpty(work);
  engine.Reset();
  tpsdk::PdtarMain(engine, {"pdtar_main", "-f", archive, "-xvi", "!"});
  if (!engine.FoundProjectFile().empty()) {
    fuzz::Check(fs::path(engine.FoundProjectFile()).parent_path() == work,
                "project file outside the target", engine.FoundProjectFile().c_str());
  }
  CheckAndEmpty(work);
  fs::current_path(start);
  return 0;
}
