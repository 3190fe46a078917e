// Input: the bytes of a zip container. Extracts every entry into an empty folder of a private
// box and checks that nothing but plain files appeared there, nothing half-written was left
// and nothing at all appeared beside it.
#include <sys/stat.h>

#include "archive_engine.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  namespace fs = fuzz::fs;
  const fs::path box = fuzz::PrivateFolder();
  const fs::path work = box / "work";
  fs::create_directory(work);
  fuzz::WriteFile(box / "input.zip", fuzz::Text(data, size));
  const fs::path start = fs::current_path();
  fs::current_path(work);
  tpsdk::ArchiveEngine engine;
  tpsdk::UnzipMain(engine, {"unzip_main", "-E", "../input.zip"});
  fs::current_path(start);

  const bool named = fuzz::Text(data, size).find(".km_unzip_") != std::string_view::npos;
  std::size_t beside = 0;
  for (const auto& entry : fs::directory_iterator(box)) {
    fuzz::Check(entry.path() == work || entry.path() == box / "input.zip");
    ++beside;
  }
  fuzz::Check(beside == 2);
  for (const auto& entry : fs::directory_iterator(work)) {
    fuzz::Check(entry.is_regular_file() && !entry.is_symlink());
    // No private file of an entry is left, unless the archive itself names one so.
    fuzz::Check(entry.path().filename().string().rfind(".km_unzip_", 0) != 0 || named);
    struct stat info {};
    fuzz::Check(stat(entry.path().c_str(), &info) == 0 && (info.st_mode & 07111) == 0);
  }
  fs::remove_all(work);
  return 0;
}
