#pragma once
// Runs a program (no shell) or a piece of the test in a child process and collects what it
// printed; a file-size limit lets a test provoke a full disk, which holds for root too.

#include <sys/resource.h>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace km_test {

struct ProcessOptions {
  std::filesystem::path workingDirectory;  // empty: the test's own
  // Variables set in the child; no value unsets one.
  std::vector<std::pair<std::string, std::optional<std::string>>> environment;
  std::optional<rlim_t> fileSizeLimit;
  std::filesystem::path standardInput;  // empty: /dev/null
};

struct ProcessResult {
  int status = -1;  // exit status; -1 when the child did not exit normally
  int signal = 0;   // the signal that ended it, if one did
  std::string out;
  std::string err;
};

ProcessResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const ProcessOptions& options = {});

// Runs a system tool in cwd, expecting its exit status (a test failure otherwise); returns what
// it printed on both streams.
std::string RunTool(const std::string& program, const std::vector<std::string>& arguments,
                    const std::filesystem::path& cwd = {}, int expectedStatus = 0);

// Runs body in a forked child under the options; what body returns comes back as out.
ProcessResult RunInChild(const std::function<std::string()>& body,
                         const ProcessOptions& options = {});

}  // namespace km_test
