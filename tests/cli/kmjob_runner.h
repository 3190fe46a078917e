#pragma once
// Runs the kmjob program in a scratch folder of the test's own and collects what it printed.

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

namespace kmjob_test {

namespace fs = std::filesystem;

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

inline std::string Slurp(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class KmjobTestBase : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ =
        fs::temp_directory_path() /
        ("km_cli_" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()) +
         "_" + std::to_string(getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs kmjob in the scratch folder against a print server that is not there. fileSizeLimit
  // bounds the files it may write (a limit that holds for root too); standard error comes
  // through a pipe, which the limit does not cover.
  Outcome Kmjob(std::vector<std::string> arguments,
                std::optional<rlim_t> fileSizeLimit = std::nullopt) {
    const std::string out = (dir_ / "stdout").string();
    int errPipe[2];
    if (pipe(errPipe) != 0) return {};
    const pid_t child = fork();
    if (child == 0) {
      if (!freopen(out.c_str(), "w", stdout) || dup2(errPipe[1], 2) < 0) _exit(127);
      close(errPipe[0]);
      close(errPipe[1]);
      if (chdir(dir_.c_str()) != 0) _exit(127);
      setenv("CUPS_SERVER", (dir_ / "no-server.sock").c_str(), 1);
      if (fileSizeLimit) {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{*fileSizeLimit, *fileSizeLimit};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(127);
      }
      std::vector<char*> argv{const_cast<char*>(KMJOB_PATH)};
      for (auto& a : arguments) argv.push_back(a.data());
      argv.push_back(nullptr);
      execv(KMJOB_PATH, argv.data());
      _exit(127);
    }
    close(errPipe[1]);
    std::string err;
    char buffer[4096];
    for (ssize_t n; (n = read(errPipe[0], buffer, sizeof buffer)) > 0;) err.append(buffer, n);
    close(errPipe[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(out), err};
  }

  // A file of the given bytes in the scratch folder; its path.
  std::string File(const std::string& name, const std::string& bytes) {
    const fs::path path = dir_ / name;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }

  fs::path dir_;
};

}  // namespace kmjob_test
