#include "job_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <system_error>

#include "output_tail.h"
#include "platform/unique_fd.h"
#include "preamble.h"
#include "printer_name.h"
#include "stop_signal.h"

namespace kmsim {

namespace fs = std::filesystem;

namespace {

using Clock = std::chrono::steady_clock;

// A job's page files are counted and listed, but never more than this many.
constexpr std::size_t kMaxPages = 100000;
constexpr std::size_t kMaxVerdictWord = 128;

std::string FdPath(int fd) {
  return "/proc/self/fd/" + std::to_string(fd);
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
    if (dot == 0 || dot == std::string::npos || dot > 9) continue;
    if (rest.find_first_not_of("0123456789") != dot) continue;
    pages.emplace_back(std::stoi(rest.substr(0, dot)), it->path());
    if (pages.size() >= kMaxPages) break;
  }
  std::sort(pages.begin(), pages.end());
  std::vector<fs::path> paths;
  for (auto& page : pages) paths.push_back(page.second);
  return paths;
}

// One word of a verdict: escaped as names are, and short.
std::string VerdictWord(std::string word) {
  if (word.size() > kMaxVerdictWord) word.resize(kMaxVerdictWord);
  word = ReportEscape(word);
  return word.empty() ? "?" : word;
}

// "Error: /ioerror in /load_file" -> "error ioerror load_file"
std::string ErrorVerdict(const std::string& output) {
  const std::string::size_type start = output.rfind("Error: /");
  if (start == std::string::npos) return {};
  std::string line = output.substr(start + 8, output.find('\n', start) - start - 8);
  const std::string::size_type in = line.find(" in ");
  if (in == std::string::npos || in == 0) return {};
  std::string command = line.substr(in + 4);
  if (!command.empty() && command.front() == '/') command.erase(0, 1);
  if (command.size() > 4 && command.rfind("--", 0) == 0 &&
      command.compare(command.size() - 2, 2, "--") == 0) {
    command = command.substr(2, command.size() - 4);
  }
  return "error " + VerdictWord(line.substr(0, in)) + " " + VerdictWord(command);
}

// Looks up gs on PATH before the fork, so the child only has to exec.
std::string FindInterpreter() {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/local/bin:/usr/bin:/bin";
  std::size_t start = 0;
  while (start <= dirs.size()) {
    std::size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    // An empty PATH entry means the current folder.
    const std::string candidate =
        (end > start ? dirs.substr(start, end - start) : std::string(".")) + "/gs";
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return {};
}

platform::UniqueFd PreambleFile() {
  platform::UniqueFd fd(::memfd_create("kmsim-preamble", MFD_CLOEXEC));
  if (!fd) return fd;
  std::string_view left = kPreamble;
  while (!left.empty()) {
    const ssize_t n = ::write(fd.get(), left.data(), left.size());
    if (n <= 0) return platform::UniqueFd();
    left.remove_prefix(static_cast<std::size_t>(n));
  }
  return fd;
}

// A limit kmsim itself runs under cannot be raised for the interpreter.
rlim_t WithinHardLimit(int resource, std::uint64_t mebibytes) {
  const rlim_t wanted = static_cast<rlim_t>(mebibytes) << 20;
  rlimit current{};
  if (::getrlimit(resource, &current) != 0 || current.rlim_max == RLIM_INFINITY) return wanted;
  return std::min(wanted, current.rlim_max);
}

struct ChildSetup {
  std::vector<char*> argv;
  std::vector<char*> envp;
  std::vector<int> inherited;  // handles the interpreter keeps
  int output = -1;
  rlim_t memoryBytes = RLIM_INFINITY;
  rlim_t fileBytes = RLIM_INFINITY;
  pid_t parent = 0;
};

// In the child between fork and exec: async-signal-safe calls only.
[[noreturn]] void StartInterpreter(const ChildSetup& setup, const char* program) {
  // Its own process group, so that kmsim can end it with everything it started; and it
  // ends when kmsim does, even when kmsim is killed outright.
  ::setpgid(0, 0);
  if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != setup.parent) ::_exit(127);
  const rlimit memory{setup.memoryBytes, setup.memoryBytes};
  const rlimit file{setup.fileBytes, setup.fileBytes};
  const rlimit core{0, 0};
  if (::setrlimit(RLIMIT_AS, &memory) != 0 || ::setrlimit(RLIMIT_FSIZE, &file) != 0 ||
      ::setrlimit(RLIMIT_CORE, &core) != 0) {
    ::_exit(127);
  }
  // A write over the size limit then fails as an ioerror the job can clean up after,
  // instead of killing the interpreter with its temporary file in place.
  ::signal(SIGXFSZ, SIG_IGN);
  ::signal(SIGPIPE, SIG_DFL);
  ::signal(SIGINT, SIG_DFL);
  ::signal(SIGTERM, SIG_DFL);
  sigset_t none;
  sigemptyset(&none);
  ::sigprocmask(SIG_SETMASK, &none, nullptr);
  const int null = ::open("/dev/null", O_RDONLY);
  if (null < 0 || ::dup2(null, 0) < 0 || ::dup2(setup.output, 1) < 0 ||
      ::dup2(setup.output, 2) < 0) {
    ::_exit(127);
  }
  ::syscall(SYS_close_range, 3U, ~0U, 4U /* CLOSE_RANGE_CLOEXEC */);
  for (int fd : setup.inherited) {
    if (::fcntl(fd, F_SETFD, 0) != 0) ::_exit(127);
  }
  ::execve(program, setup.argv.data(), setup.envp.data());
  static constexpr char kFailed[] = "kmsim: cannot start Ghostscript\n";
  [[maybe_unused]] const ssize_t n = ::write(1, kFailed, sizeof kFailed - 1);
  ::_exit(127);
}

struct Ending {
  int status = 0;
  bool timedOut = false;
  bool interrupted = false;
};

// Reads the output while the interpreter runs, until it ends, the deadline passes or kmsim
// is asked to stop; then ends its whole process group.
Ending Supervise(pid_t child, int output, Clock::time_point deadline, OutputTail& tail) {
  Ending ending;
  const platform::UniqueFd pidfd(static_cast<int>(::syscall(SYS_pidfd_open, child, 0)));
  bool outputOpen = true;
  bool exited = false;
  char buffer[65536];
  while (!exited || outputOpen) {
    if (!exited) {
      siginfo_t info{};
      // Looks without reaping: the group keeps its id until the leader is reaped.
      if (::waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
          info.si_pid == child) {
        exited = true;
      }
    }
    const auto now = Clock::now();
    if (!exited && (now >= deadline || StopRequested())) {
      (now >= deadline ? ending.timedOut : ending.interrupted) = true;
      break;
    }
    pollfd fds[3] = {{outputOpen ? output : -1, POLLIN, 0},
                     {exited ? -1 : pidfd.get(), POLLIN, 0},
                     {StopFd(), POLLIN, 0}};
    int wait = static_cast<int>(std::min<long long>(
        std::chrono::ceil<std::chrono::milliseconds>(deadline - now).count(), 1000));
    // Kernels before 5.3 have no pidfd; the output's end usually tells instead.
    if (!pidfd) wait = std::min(wait, 20);
    // Once the interpreter is gone, what is left in the pipe is read without waiting.
    if (exited) wait = 0;
    const int ready = ::poll(fds, 3, std::max(wait, 0));
    if (ready < 0 && errno != EINTR) break;
    if (outputOpen && (fds[0].revents & (POLLIN | POLLHUP | POLLERR))) {
      const ssize_t n = ::read(output, buffer, sizeof buffer);
      if (n > 0) {
        tail.Append(std::string_view(buffer, static_cast<std::size_t>(n)));
      } else if (n == 0 || errno != EINTR) {
        outputOpen = false;
      }
    } else if (exited) {
      break;  // something the interpreter started still holds the pipe
    }
  }
  ::kill(-child, SIGKILL);
  while (::waitpid(child, &ending.status, 0) < 0 && errno == EINTR) {
  }
  return ending;
}

}  // namespace

JobResult RunJob(int jobFd, int jobNumber, const DiskView& disk, const RunOptions& options) {
  JobResult result;
  struct stat st {};
  if (::fstat(jobFd, &st) != 0 || !S_ISREG(st.st_mode)) {
    result.verdict = "failed cannot-read-job";
    return result;
  }
  if (st.st_size == 0) {
    result.verdict = "failed empty";
    return result;
  }
  const platform::UniqueFd preamble = PreambleFile();
  if (!preamble) {
    result.verdict = "failed cannot-write-preamble";
    return result;
  }
  const std::string program = FindInterpreter();
  if (program.empty()) {
    result.verdict = "failed cannot-start-ghostscript";
    return result;
  }

  // The interpreter sees the disk and its other folders only through inherited handles.
  const std::string flat = FdPath(disk.FlatFd());
  std::vector<std::string> args = {"gs",
                                   "-q",
                                   "-dBATCH",
                                   "-dNOPAUSE",
                                   "-dSAFER",
                                   "-skmRoot=" + flat + "/",
                                   "--permit-file-all=" + flat + "/*"};
  std::vector<int> inherited = {disk.LockFd(), disk.FlatFd(), disk.TempFd(), preamble.get(), jobFd};
  platform::UniqueFd pages;
  if (options.pagesDir.empty()) {
    args.push_back("-sDEVICE=nullpage");
  } else {
    std::error_code ec;
    for (const fs::path& old : PagesOf(options.pagesDir, jobNumber)) fs::remove(old, ec);
    pages.reset(::open(options.pagesDir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!pages) {
      result.verdict = "failed cannot-open-pages-folder";
      return result;
    }
    inherited.push_back(pages.get());
    args.push_back(options.pageFormat == PageFormat::kPng ? "-sDEVICE=png16m"
                                                          : "-sDEVICE=txtwrite");
    if (options.pageFormat == PageFormat::kPng) args.push_back("-r100");
    args.push_back("-sOutputFile=" + FdPath(pages.get()) + "/job" + std::to_string(jobNumber) +
                   "-page%d" + (options.pageFormat == PageFormat::kPng ? ".png" : ".txt"));
  }
  args.push_back(FdPath(preamble.get()));
  args.push_back(FdPath(jobFd));
  ::lseek(jobFd, 0, SEEK_SET);

  // A small environment of our own: the interpreter's temporary files stay in the disk's
  // private folder (Ghostscript always permits TMPDIR), which is emptied after each job.
  std::vector<std::string> env = {"TMPDIR=" + FdPath(disk.TempFd())};
  if (const char* path = std::getenv("PATH")) env.push_back(std::string("PATH=") + path);

  int pipeFds[2];
  if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
    result.verdict = "failed cannot-start-ghostscript";
    return result;
  }
  platform::UniqueFd outputRead(pipeFds[0]);
  platform::UniqueFd outputWrite(pipeFds[1]);

  ChildSetup setup;
  for (std::string& a : args) setup.argv.push_back(a.data());
  setup.argv.push_back(nullptr);
  for (std::string& e : env) setup.envp.push_back(e.data());
  setup.envp.push_back(nullptr);
  setup.inherited = inherited;
  setup.output = outputWrite.get();
  setup.memoryBytes = WithinHardLimit(RLIMIT_AS, options.memoryLimitMiB);
  setup.fileBytes = WithinHardLimit(RLIMIT_FSIZE, options.fileSizeLimitMiB);
  setup.parent = ::getpid();

  const pid_t child = ::fork();
  if (child < 0) {
    result.verdict = "failed cannot-start-ghostscript";
    return result;
  }
  if (child == 0) StartInterpreter(setup, program.c_str());
  ::setpgid(child, child);
  outputWrite.reset();

  OutputTail tail(kOutputKept);
  const Ending ending = Supervise(
      child, outputRead.get(), Clock::now() + std::chrono::seconds(options.timeoutSeconds), tail);
  result.output = tail.Text();
  result.outputSize = tail.Total();
  if (!options.pagesDir.empty()) result.pages = PagesOf(options.pagesDir, jobNumber);
  if (ending.timedOut) {
    result.verdict = "failed timeout";
  } else if (ending.interrupted) {
    result.verdict = "failed interrupted";
  } else if (WIFEXITED(ending.status) && WEXITSTATUS(ending.status) == 0) {
    result.ok = true;
    result.verdict = "ok";
  } else {
    result.verdict = ErrorVerdict(result.output);
    if (!result.verdict.empty()) {
      result.verdict = "failed " + result.verdict;
    } else if (WIFSIGNALED(ending.status)) {
      result.verdict = "failed signal " + std::to_string(WTERMSIG(ending.status));
    } else {
      result.verdict = "failed exit " + std::to_string(WEXITSTATUS(ending.status));
    }
  }
  return result;
}

}  // namespace kmsim
