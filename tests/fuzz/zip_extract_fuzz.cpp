// Input: the bytes of a zip container. Extracts every entry into an empty folder of a private
// box and checks that nothing but plain files appeared there, nothing half-written was left
// and nothing at all appeared beside it.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "archive_engine.h"

namespace {

namespace fs = std::filesystem;

void Check(bool condition) {
  if (!condition) std::abort();
}

// Every run empties the box again, so that it can go at exit; kept in plain storage, which
// outlives every exit handler.
char boxPath[] = "/tmp/km_zip_fuzz_XXXXXX";

fs::path Box() {
  static const bool made = [] {
    Check(mkdtemp(boxPath) != nullptr);
    std::atexit([] { rmdir(boxPath); });
    return true;
  }();
  Check(made);
  return boxPath;
}

void WriteInput(const fs::path& path, const std::uint8_t* data, std::size_t size) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  Check(fd >= 0);
  Check(write(fd, data, size) == static_cast<ssize_t>(size));
  Check(close(fd) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const fs::path box = Box();
  const fs::path work = box / "work";
  fs::create_directory(work);
  WriteInput(box / "input.zip", data, size);
  const fs::path start = fs::current_path();
  fs::current_path(work);
  tpsdk::ArchiveEngine engine;
  tpsdk::UnzipMain(engine, {"unzip_main", "-E", "../input.zip"});
  fs::current_path(start);

  const bool named =
      std::string_view(reinterpret_cast<const char*>(data), size).find(".km_unzip_") !=
      std::string_view::npos;
  std::size_t beside = 0;
  for (const auto& entry : fs::directory_iterator(box)) {
    Check(entry.path() == work || entry.path() == box / "input.zip");
    ++beside;
  }
  Check(beside == 2);
  for (const auto& entry : fs::directory_iterator(work)) {
    Check(entry.is_regular_file() && !entry.is_symlink());
    // No private file of an entry is left, unless the archive itself names one so.
    Check(entry.path().filename().string().rfind(".km_unzip_", 0) != 0 || named);
    struct stat info {};
    Check(stat(entry.path().c_str(), &info) == 0 && (info.st_mode & 07111) == 0);
  }
  fs::remove_all(work);
  fs::remove(box / "input.zip");
  return 0;
}
