// Reading and writing large project files: a project of N resources (files present in their
// scope folders, a tenth of them submission files with job tickets) is read and written back;
// the best of three runs is printed for N and 2N, with the ratio 2N / N.

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "tpsdk/tpsdk.h"

namespace fs = std::filesystem;

namespace {

void WriteText(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

// A stub, scope folders and a project file of `count` resources under root.
fs::path MakeProject(const fs::path& root, int count) {
  const std::string scopes[3] = {root / "scopes/$$FOLDER./$$PROJECT./",
                                 root / "scopes/$$FOLDER./fshared/", root / "scopes/gshared/"};
  const fs::path folders[3] = {root / "scopes/F/P", root / "scopes/F/fshared",
                               root / "scopes/gshared"};
  WriteText(root / "stub.run",
            "[\n(" + scopes[0] + ")\n(" + scopes[1] + ")\n(" + scopes[2] + ")\n] SETPPATH\n");
  std::string tpf =
      "<?xml version='1.0' encoding='ISO-8859-1'?>\n<TPF Version='2.0'>\n<INFORMATION>\n"
      " <COPYRIGHT>c</COPYRIGHT>\n <PROJECT_TYPE>KORA</PROJECT_TYPE>\n"
      " <FOLDER_NAME>F</FOLDER_NAME>\n <PROJECT_NAME>P</PROJECT_NAME>\n"
      " <PROJECT_VERSION>1</PROJECT_VERSION>\n <PROJECT_TITLE>t</PROJECT_TITLE>\n"
      " <PROJECT_DESCRIPTION>d</PROJECT_DESCRIPTION>\n <AUTHOR>a</AUTHOR>\n"
      " <KEYWORDS>k</KEYWORDS>\n <GENERATOR>g</GENERATOR>\n"
      " <CREATION_DATE>2026-12-07</CREATION_DATE>\n</INFORMATION>\n<RESOURCES>\n";
  for (int i = 0; i < count; ++i) {
    const int scope = i % 3;
    const std::string name = "r" + std::to_string(i) + ".ps";
    std::string attributes;
    if (i % 20 == 0) {
      attributes = " Type='sub' SubmissionOrder='" + std::to_string(i / 20 + 1) + "'";
    } else if (i % 20 == 1) {
      attributes = " Type='jtk' JobTicketOrder='" + std::to_string(i / 20 + 1) + "' Mime='x/y'";
    } else {
      attributes = " Type='ps' Description='resource &amp; more'";
    }
    tpf += " <RESOURCE Name='" + name + "'" + attributes + " Scope='" + std::to_string(scope) +
           "'/>\n";
    WriteText(folders[scope] / name, "x");
  }
  tpf += "</RESOURCES>\n</TPF>\n";
  WriteText(root / "P.tpf", tpf);
  return root / "P.tpf";
}

struct Times {
  double read = 1e9, write = 1e9;
};

Times Measure(const fs::path& root, int count) {
  const fs::path tpf = MakeProject(root, count);
  Times best;
  for (int run = 0; run < 3; ++run) {
    auto project = tpsdk::TpsdkCreateProject((root / "stub.run").c_str());
    auto start = std::chrono::steady_clock::now();
    const int readStatus = project->OpenProjectFile(tpf.c_str());
    auto read = std::chrono::steady_clock::now();
    const int writeStatus = project->WriteProjectFile((root / "out.tpf").c_str());
    auto written = std::chrono::steady_clock::now();
    if ((readStatus | writeStatus) & tpsdk::kError ||
        project->GetElementCount() != static_cast<std::size_t>(count)) {
      std::fprintf(stderr, "project_scale: the project of %d resources failed:\n%s\n", count,
                   project->GetMessages());
      std::exit(1);
    }
    best.read = std::min(best.read, std::chrono::duration<double>(read - start).count());
    best.write = std::min(best.write, std::chrono::duration<double>(written - read).count());
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const int count = argc > 1 ? std::atoi(argv[1]) : 20000;
  const fs::path root = fs::temp_directory_path() / ("project_scale." + std::to_string(getpid()));
  const Times single = Measure(root / "n", count);
  const Times twice = Measure(root / "2n", 2 * count);
  fs::remove_all(root);
  std::printf("%-10s %12s %12s\n", "resources", "read (s)", "write (s)");
  std::printf("%-10d %12.3f %12.3f\n", count, single.read, single.write);
  std::printf("%-10d %12.3f %12.3f\n", 2 * count, twice.read, twice.write);
  std::printf("ratio      %12.2f %12.2f   (goal: at most 2.2; each time under 1 s)\n",
              twice.read / single.read, twice.write / single.write);
  return 0;
}
