#include "process.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

namespace km_test {

namespace {

// Prepares the child's side; returns false when it cannot, and the child then exits 127.
bool SetUpChild(const ProcessOptions& options, int outFd, int errFd) {
  const char* input = options.standardInput.empty() ? "/dev/null" : options.standardInput.c_str();
  const int in = ::open(input, O_RDONLY);
  if (in < 0 || dup2(in, 0) < 0 || dup2(outFd, 1) < 0 || dup2(errFd, 2) < 0) return false;
  if (!options.workingDirectory.empty() && chdir(options.workingDirectory.c_str()) != 0) {
    return false;
  }
  for (const auto& [name, value] : options.environment) {
    if (value) {
      setenv(name.c_str(), value->c_str(), 1);
    } else {
      unsetenv(name.c_str());
    }
  }
  if (options.fileSizeLimit) {
    // In a coverage build the program's own profile data would be cut at the limit and spoil
    // the suite's figures: it goes to a folder of its own, and libgcov's complaints nowhere.
    setenv("GCOV_PREFIX", (std::filesystem::temp_directory_path() / "km-limited-gcov").c_str(), 1);
    setenv("GCOV_ERROR_FILE", "/dev/null", 1);
    signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG
    const rlimit limit{*options.fileSizeLimit, *options.fileSizeLimit};
    if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return false;
  }
  return true;
}

// Forks; the child runs child() after its set-up, the parent collects both streams.
ProcessResult Run(const ProcessOptions& options, const std::function<int()>& child) {
  int outPipe[2];
  int errPipe[2];
  if (pipe(outPipe) != 0) return {};
  if (pipe(errPipe) != 0) {
    close(outPipe[0]);
    close(outPipe[1]);
    return {};
  }
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    close(outPipe[0]);
    close(errPipe[0]);
    if (!SetUpChild(options, outPipe[1], errPipe[1])) _exit(127);
    close(outPipe[1]);
    close(errPipe[1]);
    _exit(child());
  }
  close(outPipe[1]);
  close(errPipe[1]);
  ProcessResult result;
  pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  int open = pid > 0 ? 2 : 0;
  char buffer[65536];
  while (open > 0) {
    if (poll(fds, 2, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      const ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n > 0) {
        sinks[i]->append(buffer, static_cast<std::size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        fds[i].fd = -1;
        --open;
      }
    }
  }
  close(outPipe[0]);
  close(errPipe[0]);
  int status = 0;
  if (pid > 0 && waitpid(pid, &status, 0) == pid) {
    if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
    if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
  }
  return result;
}

}  // namespace

ProcessResult RunProgram(const std::string& program, const std::vector<std::string>& arguments,
                         const ProcessOptions& options) {
  return Run(options, [&] {
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execvp(program.c_str(), argv.data());
    return 127;
  });
}

ProcessResult RunInChild(const std::function<std::string()>& body, const ProcessOptions& options) {
  return Run(options, [&] {
    const std::string reply = body();
    std::size_t done = 0;
    while (done < reply.size()) {
      const ssize_t n = write(1, reply.data() + done, reply.size() - done);
      if (n <= 0) return 2;
      done += static_cast<std::size_t>(n);
    }
    return 0;
  });
}

std::string RunTool(const std::string& program, const std::vector<std::string>& arguments,
                    const std::filesystem::path& cwd, int expectedStatus) {
  ProcessOptions options;
  options.workingDirectory = cwd;
  const ProcessResult result = RunProgram(program, arguments, options);
  EXPECT_EQ(result.status, expectedStatus) << program << ": " << result.out << result.err;
  return result.out + result.err;
}

}  // namespace km_test
