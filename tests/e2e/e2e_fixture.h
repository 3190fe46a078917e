#pragma once
// Each test gets a scratch folder with a printer disk; jobs come from kmjob and run on kmsim,
// both started as the user would start them.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace e2e {

namespace fs = std::filesystem;

inline std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteFile(const fs::path& path, std::string_view bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
  std::vector<std::string> Report(std::string_view kind) const {
    std::vector<std::string> names;
    const std::string prefix = std::string(kind) + " ";
    for (const std::string& line : Lines(out)) {
      if (line.rfind(prefix, 0) == 0) names.push_back(line.substr(prefix.size()));
    }
    return names;
  }
};

// Runs a program with arguments (no shell) in dir; standard output and error are kept.
inline Outcome RunProgram(const fs::path& dir, const std::string& program,
                          std::vector<std::string> arguments) {
  const fs::path out = dir / ".stdout";
  const fs::path err = dir / ".stderr";
  const pid_t child = fork();
  if (child == 0) {
    const int o = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int e = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (o < 0 || e < 0 || dup2(o, 1) < 0 || dup2(e, 2) < 0 || chdir(dir.c_str()) != 0) _exit(127);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (std::string& a : arguments) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  int status = 0;
  waitpid(child, &status, 0);
  Outcome outcome{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadFile(out), ReadFile(err)};
  fs::remove(out);
  fs::remove(err);
  return outcome;
}

class E2eTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = fs::temp_directory_path() / ("km_e2e_" + std::string(info->test_suite_name()) + "_" +
                                         info->name() + "_" + std::to_string(getpid()));
    fs::remove_all(root_);
    fs::create_directories(root_);
    disk_ = root_ / "disk";
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  Outcome Kmjob(std::vector<std::string> arguments) {
    return RunProgram(root_, KMJOB_PATH, std::move(arguments));
  }
  // kmjob writing root/<name>; fails the test when kmjob fails.
  fs::path MakeJob(const std::string& name, std::vector<std::string> arguments) {
    arguments.push_back("--output");
    arguments.push_back((root_ / name).string());
    const Outcome made = Kmjob(arguments);
    EXPECT_EQ(made.status, 0) << made.err;
    return root_ / name;
  }
  Outcome Kmsim(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {"--disk", disk_.string()});
    return RunProgram(root_, KMSIM_PATH, std::move(arguments));
  }
  fs::path Local(const std::string& name, std::string_view bytes) {
    WriteFile(root_ / "local" / name, bytes);
    return root_ / "local" / name;
  }
  // Every file of the disk's folder view, as printer names, sorted.
  std::vector<std::string> DiskFiles() const {
    std::vector<std::string> names;
    if (!fs::exists(disk_)) return names;
    for (fs::recursive_directory_iterator it(disk_), end; it != end; ++it) {
      if (it.depth() == 0 && it->path().filename() == ".kmsim") {
        it.disable_recursion_pending();
        continue;
      }
      if (it->is_regular_file()) names.push_back(it->path().lexically_relative(disk_).string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path root_;
  fs::path disk_;
};

}  // namespace e2e
