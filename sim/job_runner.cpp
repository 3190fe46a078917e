#include "job_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <system_error>
#include <thread>

#include "preamble.h"
#include "unique_fd.h"

extern char** environ;

namespace kmsim {

namespace fs = std::filesystem;

namespace {

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    if (end > start) lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// Ghostscript reads "%" in an output file name as a format; the folder part must not.
std::string OutputPattern(const fs::path& dir, int jobNumber, PageFormat format) {
  std::string pattern;
  for (char c : dir.string()) {
    pattern.push_back(c);
    if (c == '%') pattern.push_back('%');
  }
  pattern += "/job" + std::to_string(jobNumber) + "-page%d" +
             (format == PageFormat::kPng ? ".png" : ".txt");
  return pattern;
}

std::vector<fs::path> PagesOf(const fs::path& dir, int jobNumber) {
  std::vector<std::pair<int, fs::path>> pages;
  const std::string prefix = "job" + std::to_string(jobNumber) + "-page";
  std::error_code ec;
  for (fs::directory_iterator it(dir, ec); !ec && it != fs::directory_iterator();
       it.increment(ec)) {
    const std::string file = it->path().filename().string();
    if (file.rfind(prefix, 0) != 0) continue;
    const std::string rest = file.substr(prefix.size());
    const std::size_t dot = rest.find('.');
    if (dot == 0 || dot == std::string::npos) continue;
    if (rest.find_first_not_of("0123456789") != dot) continue;
    pages.emplace_back(std::stoi(rest.substr(0, dot)), it->path());
  }
  std::sort(pages.begin(), pages.end());
  std::vector<fs::path> paths;
  for (auto& page : pages) paths.push_back(page.second);
  return paths;
}

// "Error: /ioerror in /load_file" -> "error ioerror load_file"
std::string ErrorVerdict(const std::string& output) {
  const std::string::size_type start = output.rfind("Error: /");
  if (start == std::string::npos) return {};
  std::string line = output.substr(start + 8, output.find('\n', start) - start - 8);
  const std::string::size_type in = line.find(" in ");
  if (in == std::string::npos || in == 0) return {};
  const std::string name = line.substr(0, in);
  std::string command = line.substr(in + 4);
  if (!command.empty() && command.front() == '/') command.erase(0, 1);
  if (command.size() > 4 && command.rfind("--", 0) == 0 &&
      command.compare(command.size() - 2, 2, "--") == 0) {
    command = command.substr(2, command.size() - 4);
  }
  for (char& c : command) {
    if (c == ' ' || c == '\t' || c == '\r') c = '_';
  }
  return "error " + name + " " + (command.empty() ? "?" : command);
}

// Waits for the interpreter until the deadline; false when it had to be killed. A pidfd
// turns readable the moment the child ends, so no job waits out a polling interval.
bool WaitForChild(pid_t child, int& status, std::chrono::steady_clock::time_point deadline) {
  const UniqueFd pidfd(static_cast<int>(::syscall(SYS_pidfd_open, child, 0)));
  while (true) {
    const pid_t done = waitpid(child, &status, WNOHANG);
    if (done == child) return true;
    if (done < 0 && errno != EINTR) return true;
    const auto now = std::chrono::steady_clock::now();
    if (now > deadline) {
      kill(child, SIGKILL);
      waitpid(child, &status, 0);
      return false;
    }
    if (pidfd) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count();
      pollfd ready{pidfd.Get(), POLLIN, 0};
      ::poll(&ready, 1, static_cast<int>(std::min<long long>(left, 1000)));
    } else {
      // Kernels before 5.3 have no pidfd.
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
}

}  // namespace

JobResult RunJob(const fs::path& job, int jobNumber, const DiskView& disk,
                 const RunOptions& options) {
  JobResult result;
  std::error_code ec;
  const fs::path jobPath = fs::absolute(job, ec);
  if (!fs::is_regular_file(jobPath, ec)) {
    result.verdict = "failed cannot-read-job";
    return result;
  }
  if (fs::file_size(jobPath, ec) == 0) {
    result.verdict = "empty";
    return result;
  }
  const fs::path work = disk.WorkFolder();
  const fs::path preamble = work / "preamble.ps";
  const fs::path report = work / "report";
  const fs::path log = work / "interpreter.log";
  {
    std::ofstream out(preamble, std::ios::binary | std::ios::trunc);
    out << kPreamble;
    if (!out.flush()) {
      result.verdict = "failed cannot-write-preamble";
      return result;
    }
  }
  fs::remove(report, ec);

  const std::string flat = disk.FlatFolder().string();
  std::vector<std::string> args = {"gs",
                                   "-q",
                                   "-dBATCH",
                                   "-dNOPAUSE",
                                   "-dSAFER",
                                   "-skmRoot=" + flat + "/",
                                   "-skmReportPath=" + report.string(),
                                   "--permit-file-all=" + flat + "/*",
                                   "--permit-file-write=" + report.string()};
  if (options.pagesDir.empty()) {
    args.push_back("-sDEVICE=nullpage");
  } else {
    for (const fs::path& old : PagesOf(options.pagesDir, jobNumber)) fs::remove(old, ec);
    args.push_back(options.pageFormat == PageFormat::kPng ? "-sDEVICE=png16m"
                                                          : "-sDEVICE=txtwrite");
    if (options.pageFormat == PageFormat::kPng) args.push_back("-r100");
    args.push_back("-sOutputFile=" +
                   OutputPattern(options.pagesDir, jobNumber, options.pageFormat));
  }
  args.push_back(preamble.string());
  args.push_back(jobPath.string());

  // A small environment of our own: the interpreter's temporary files stay in the disk's
  // private folder (Ghostscript always permits TMPDIR).
  std::vector<std::string> env = {"TMPDIR=" + disk.TempFolder().string()};
  if (const char* path = std::getenv("PATH")) env.push_back(std::string("PATH=") + path);

  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t child = 0;
  const int spawned = posix_spawnp(&child, "gs", &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    result.verdict = "failed cannot-start-ghostscript";
    return result;
  }

  int status = 0;
  const bool timedOut = !WaitForChild(
      child, status,
      std::chrono::steady_clock::now() + std::chrono::seconds(options.timeoutSeconds));

  result.events = SplitLines(ReadAll(report));
  result.output = ReadAll(log);
  if (!options.pagesDir.empty()) result.pages = PagesOf(options.pagesDir, jobNumber);
  if (timedOut) {
    result.verdict = "timeout";
  } else if (WIFEXITED(status) && WEXITSTATUS(status) == 0) {
    result.ok = true;
    result.verdict = "ok";
  } else {
    result.verdict = ErrorVerdict(result.output);
    if (result.verdict.empty()) result.verdict = "failed interpreter-exit";
  }
  return result;
}

}  // namespace kmsim
