// Any bytes as a tar container: extraction and validation never crash and never leave anything
// but plain files and folders inside the target folder, without setuid, setgid or sticky bits.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "archive_engine.h"

namespace {

namespace fs = std::filesystem;

const fs::path& Root() {
  static const fs::path root =
      fs::temp_directory_path() / ("km-fuzz-tar-" + std::to_string(getpid()));
  return root;
}

void Check(bool ok, const char* what, const fs::path& path) {
  if (ok) return;
  std::fprintf(stderr, "%s: %s\n", what, path.c_str());
  std::abort();
}

// Only the archive and the target folder may exist beside each other; inside the target only
// plain files and folders.
void CheckAndEmpty() {
  for (const auto& entry : fs::directory_iterator(Root())) {
    const std::string name = entry.path().filename();
    Check(name == "in.tar" || name == "work", "written outside the target", entry.path());
  }
  for (const auto& entry : fs::recursive_directory_iterator(Root() / "work")) {
    struct stat st {};
    Check(lstat(entry.path().c_str(), &st) == 0, "vanished", entry.path());
    Check(S_ISREG(st.st_mode) || S_ISDIR(st.st_mode), "not a file or folder", entry.path());
    Check((st.st_mode & 07000) == 0, "special mode bits", entry.path());
  }
  for (const auto& entry : fs::directory_iterator(Root() / "work")) fs::remove_all(entry.path());
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  std::error_code error;
  fs::create_directories(Root() / "work", error);
  if (error) return 1;
  std::atexit([] {
    std::error_code ignored;
    fs::remove_all(Root(), ignored);
  });
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fs::path archive = Root() / "in.tar";
  std::FILE* out = std::fopen(archive.c_str(), "wb");
  if (!out) std::abort();
  if (std::fwrite(data, 1, size, out) != size || std::fclose(out) != 0) std::abort();
  // The format programs directly: the engine would hand anything that starts with "PK" to zip.
  // Extraction works in the current folder; the fuzzer's own relative paths need it back.
  const fs::path start = fs::current_path();
  fs::current_path(Root() / "work");
  tpsdk::ArchiveEngine engine;
  tpsdk::PdtarMain(engine, {"pdtar_main", "-f", archive, "-xvi"});
  CheckAndEmpty();
  engine.Reset();
  tpsdk::PdtarMain(engine, {"pdtar_main", "-f", archive, "-xvi", "!"});
  if (!engine.FoundProjectFile().empty()) {
    Check(fs::path(engine.FoundProjectFile()).parent_path() == Root() / "work",
          "project file outside the target", engine.FoundProjectFile());
  }
  CheckAndEmpty();
  fs::current_path(start);
  return 0;
}
