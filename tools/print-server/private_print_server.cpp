#include "private_print_server.h"

#include <arpa/inet.h>
#include <cups/cups.h>
#include <fcntl.h>
#include <grp.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

#ifndef KM_JOB_SINK_PATH
#define KM_JOB_SINK_PATH "km_job_sink"
#endif

namespace print_server {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

constexpr char kSampleDrivers[] = "/usr/share/cups/drv/sample.drv";

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool WriteText(const fs::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  return out.good();
}

std::vector<char*> Argv(const std::vector<std::string>& args) {
  std::vector<char*> argv;
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  return argv;
}

// Starts a program as our child. The child dies with us, so a crashed test leaves nothing.
pid_t Spawn(const std::vector<std::string>& args, const fs::path& log, int stdoutFd = -1) {
  std::vector<char*> argv = Argv(args);
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid != 0) return pid;
  // A blocked or ignored stop signal would survive exec and make the child unstoppable.
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  for (int sig : {SIGINT, SIGTERM, SIGHUP, SIGPIPE}) signal(sig, SIG_DFL);
  prctl(PR_SET_PDEATHSIG, SIGTERM);
  if (getppid() != parent) _exit(127);
  const int logFd = open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  const int nullFd = open("/dev/null", O_RDONLY);
  if (nullFd >= 0) dup2(nullFd, 0);
  if (logFd >= 0) {
    dup2(stdoutFd >= 0 ? stdoutFd : logFd, 1);
    dup2(logFd, 2);
  }
  execvp(argv[0], argv.data());
  _exit(127);
}

// Waits for a child for at most the given time; its exit status, or -1 if it still runs.
int WaitFor(pid_t pid, std::chrono::milliseconds limit) {
  const auto end = std::chrono::steady_clock::now() + limit;
  for (;;) {
    int status = 0;
    const pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    if (done < 0) return -2;
    if (std::chrono::steady_clock::now() >= end) return -1;
    std::this_thread::sleep_for(20ms);
  }
}

// Signals every process first, then waits for all within one deadline; stragglers are killed.
void Terminate(const std::vector<pid_t>& pids, int signal = SIGTERM) {
  for (pid_t pid : pids) {
    if (pid > 0) kill(pid, signal);
  }
  const auto end = std::chrono::steady_clock::now() + 20s;
  for (pid_t pid : pids) {
    if (pid <= 0) continue;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        end - std::chrono::steady_clock::now());
    if (WaitFor(pid, std::max(left, std::chrono::milliseconds(0))) == -1) {
      kill(pid, SIGKILL);
      WaitFor(pid, 5s);
    }
  }
}

void Terminate(pid_t pid, int signal = SIGTERM) {
  Terminate(std::vector<pid_t>{pid}, signal);
}

std::string ReplaceNickName(const std::string& ppd, const std::string& nickName) {
  std::istringstream lines(ppd);
  std::string line;
  std::string out;
  while (std::getline(lines, line)) {
    if (line.rfind("*NickName:", 0) == 0) {
      line = "*NickName: \"" + nickName + "\"";
    } else if (line.rfind("*ShortNickName:", 0) == 0) {
      line = "*ShortNickName: \"" + nickName + "\"";
    }
    out += line + "\n";
  }
  return out;
}

std::string UserName() {
  const passwd* pw = getpwuid(getuid());
  return pw ? pw->pw_name : std::to_string(getuid());
}

std::string GroupName() {
  const group* gr = getgrgid(getgid());
  return gr ? gr->gr_name : std::to_string(getgid());
}

}  // namespace

std::vector<QueueSpec> StandardQueues() {
  using D = QueueDriver;
  return {
      {"km_ps_one", D::kPostScript, {}, {}, true, true},
      {"km_ps_two", D::kPostScript, {}, {}, true, true},
      {"km_passthrough", D::kPostScript, "Office Laser 4200", {}, true, true},
      {"km_pcl", D::kPcl, {}, {}, true, true},
      {"km_pcl_ps_name", D::kPcl, "Office PS Emulation", {}, true, true},
      {"km_pcl_glued_name", D::kPcl, "Office GenericPS", {}, true, true},
      {"km_raw", D::kRaw, {}, {}, true, true},
      {"km_raw_described", D::kRaw, {}, "Generic PS Driver", true, true},
      {"km_raw_glued", D::kRaw, {}, "GenericPS", true, true},
      {"km_pdf_converter", D::kPostScript, "Adobe PDF Converter", {}, true, true},
      {"km_pdf_converter_lower", D::kPostScript, "adobe pdf converter", {}, true, true},
      {"km_rejecting", D::kPostScript, {}, {}, false, true},
      {"km_stopped", D::kPostScript, {}, {}, true, false},
  };
}

int FreeLocalPort() {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  int port = -1;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  close(fd);
  return port;
}

// Looks at the kernel's socket table: a probe connection would count as a job.
bool IsListening(int port) {
  std::ifstream table("/proc/net/tcp");
  std::string line;
  std::getline(table, line);
  while (std::getline(table, line)) {
    std::istringstream fields(line);
    std::string slot, local, remote, state;
    fields >> slot >> local >> remote >> state;
    const std::size_t colon = local.find(':');
    if (colon == std::string::npos || state != "0A") continue;
    if (std::stoi(local.substr(colon + 1), nullptr, 16) == port) return true;
  }
  return false;
}

fs::path PrivatePrintServer::jobsFolder(const std::string& queue) const {
  return root_ / "printers" / queue / "jobs";
}

fs::path PrivatePrintServer::diskFolder(const std::string& queue) const {
  return root_ / "printers" / queue / "disk";
}

fs::path PrivatePrintServer::pagesFolder(const std::string& queue) const {
  return root_ / "printers" / queue / "pages";
}

std::vector<fs::path> PrivatePrintServer::ReceivedJobs(const std::string& queue) const {
  std::vector<fs::path> jobs;
  std::error_code ec;
  for (const auto& entry : fs::directory_iterator(jobsFolder(queue), ec)) {
    const std::string name = entry.path().filename().string();
    if (entry.is_regular_file() && !name.empty() && name[0] != '.') jobs.push_back(entry.path());
  }
  std::sort(jobs.begin(), jobs.end());
  return jobs;
}

bool PrivatePrintServer::WaitForJobs(const std::string& queue, std::size_t count,
                                     std::chrono::seconds timeout) const {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (ReceivedJobs(queue).size() < count) {
    if (std::chrono::steady_clock::now() >= end) return false;
    std::this_thread::sleep_for(50ms);
  }
  return true;
}

int PrivatePrintServer::RunTool(const std::vector<std::string>& argv, std::string* output) const {
  int pipeFds[2] = {-1, -1};
  if (output && pipe2(pipeFds, O_CLOEXEC) != 0) return -1;
  const pid_t pid = Spawn(argv, root_ / "log" / "tools.log", output ? pipeFds[1] : -1);
  if (pid < 0) return -1;
  if (output) {
    close(pipeFds[1]);
    output->clear();
    char buffer[4096];
    ssize_t n;
    while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0) output->append(buffer, n);
    close(pipeFds[0]);
  }
  const int status = WaitFor(pid, 120s);
  if (status == -1) Terminate(pid, SIGKILL);
  return status < 0 ? -1 : status;
}

std::string PrivatePrintServer::SchedulerLog() const {
  return ReadText(root_ / "log" / "error_log") + ReadText(root_ / "log" / "cupsd.out");
}

bool PrivatePrintServer::WriteConfiguration(std::string* error) {
  for (const char* sub : {"spool", "cache", "state", "log", "serverroot", "ppd", "printers"}) {
    fs::create_directories(root_ / sub);
  }
  fs::create_directories(root_ / "tmp");
  chmod((root_ / "tmp").c_str(), 01777);
  const std::string r = root_.string();
  std::string files = "ServerRoot " + r + "/serverroot\n" + "CacheDir " + r + "/cache\n" +
                      "StateDir " + r + "/state\n" + "RequestRoot " + r + "/spool\n" + "TempDir " +
                      r + "/tmp\n" + "ErrorLog " + r + "/log/error_log\n" + "AccessLog " + r +
                      "/log/access_log\n" + "PageLog " + r + "/log/page_log\n" + "Printcap " + r +
                      "/printcap\n" + "FileDevice No\n";
  if (getuid() != 0) {
    // An unprivileged scheduler runs everything as ourselves.
    files +=
        "User " + UserName() + "\nGroup " + GroupName() + "\nSystemGroup " + GroupName() + "\n";
  }
  const std::string daemon = "Listen " + r +
                             "/cups.sock\n"
                             "LogLevel warn\n"
                             "Browsing Off\n"
                             "WebInterface No\n"
                             "ErrorPolicy retry-job\n"
                             "JobRetryInterval 1\n"
                             "MaxJobs 0\n"
                             "<Location />\n  Order allow,deny\n  Allow all\n</Location>\n"
                             "<Policy default>\n"
                             "  JobPrivateAccess all\n  JobPrivateValues none\n"
                             "  SubscriptionPrivateAccess all\n  SubscriptionPrivateValues none\n"
                             "  <Limit All>\n    Order deny,allow\n  </Limit>\n"
                             "</Policy>\n";
  if (!WriteText(root_ / "cups-files.conf", files) || !WriteText(root_ / "cupsd.conf", daemon)) {
    *error = "cannot write the server configuration under " + r;
    return false;
  }
  return true;
}

bool PrivatePrintServer::SeedQueues(std::string* error) {
  if (options_.seededRawQueues == 0) return true;
  std::string conf;
  for (std::size_t n = 1; n <= options_.seededRawQueues; ++n) {
    char name[32];
    std::snprintf(name, sizeof name, "km_seed_%04zu", n);
    conf += std::string("<Printer ") + name + ">\n";
    if (!options_.seededDescription.empty()) conf += "Info " + options_.seededDescription + "\n";
    // Port 9 (discard) on loopback: nothing is meant to be printed there.
    conf += "DeviceURI socket://127.0.0.1:9/?snmp=false\nState Idle\nAccepting Yes\n";
    conf += "Shared No\n</Printer>\n";
  }
  if (!WriteText(root_ / "serverroot" / "printers.conf", conf)) {
    *error = "cannot write printers.conf";
    return false;
  }
  return true;
}

bool PrivatePrintServer::WaitUntilRunning(std::string* error) {
  const auto end = std::chrono::steady_clock::now() + 60s;
  std::string out;
  while (std::chrono::steady_clock::now() < end) {
    if (WaitFor(cupsd_, 0ms) != -1) {
      cupsd_ = -1;
      *error = "cupsd ended at start:\n" + SchedulerLog();
      return false;
    }
    if (RunTool({"lpstat", "-r"}, &out) == 0 && out.find("scheduler is running") == 0) {
      return true;
    }
    std::this_thread::sleep_for(100ms);
  }
  *error = "cupsd did not come up within 60 s:\n" + SchedulerLog();
  return false;
}

bool PrivatePrintServer::PreparePpds(std::string* error) {
  const fs::path folder = root_ / "ppd";
  if (RunTool({"ppdc", "-d", folder.string(), kSampleDrivers}) != 0 ||
      !fs::exists(folder / "generic.ppd") || !fs::exists(folder / "generpcl.ppd")) {
    *error = "ppdc could not build the sample PPDs (package cups-ppdc)";
    return false;
  }
  return true;
}

bool PrivatePrintServer::AddQueue(const QueueSpec& queueSpec, std::string* error) {
  fs::create_directories(jobsFolder(queueSpec.name));
  fs::create_directories(diskFolder(queueSpec.name));
  fs::create_directories(pagesFolder(queueSpec.name));
  const std::string program =
      options_.printerProgram.empty() ? KM_JOB_SINK_PATH : options_.printerProgram;
  const fs::path log = root_ / "printers" / queueSpec.name / "printer.log";
  // The free port is only free until someone takes it: a printer that cannot listen is
  // started again on another port.
  int port = -1;
  for (int attempt = 0; attempt < 5 && port < 0; ++attempt) {
    const int candidate = FreeLocalPort();
    const pid_t pid =
        Spawn({program, "--listen", "127.0.0.1:" + std::to_string(candidate), "--disk",
               diskFolder(queueSpec.name).string(), "--pages", pagesFolder(queueSpec.name).string(),
               "--keep-jobs", jobsFolder(queueSpec.name).string()},
              log);
    if (pid < 0) break;
    printers_.push_back({queueSpec.name, pid});
    const auto end = std::chrono::steady_clock::now() + 30s;
    for (;;) {
      if (WaitFor(pid, 0ms) != -1) {
        printers_.back().pid = -1;
        break;
      }
      if (IsListening(candidate)) {
        port = candidate;
        break;
      }
      if (std::chrono::steady_clock::now() >= end) break;
      std::this_thread::sleep_for(20ms);
    }
  }
  if (port < 0) {
    *error = "the printer for " + queueSpec.name + " did not listen: " + ReadText(log);
    return false;
  }

  std::vector<std::string> args = {"lpadmin", "-p", queueSpec.name, "-v",
                                   "socket://127.0.0.1:" + std::to_string(port) + "/?snmp=false"};
  if (queueSpec.driver != QueueDriver::kRaw) {
    const fs::path base =
        root_ / "ppd" / (queueSpec.driver == QueueDriver::kPcl ? "generpcl.ppd" : "generic.ppd");
    fs::path ppd = base;
    if (!queueSpec.nickName.empty()) {
      ppd = root_ / "ppd" / (queueSpec.name + ".ppd");
      if (!WriteText(ppd, ReplaceNickName(ReadText(base), queueSpec.nickName))) {
        *error = "cannot write " + ppd.string();
        return false;
      }
    }
    args.insert(args.end(), {"-P", ppd.string()});
  }
  if (!queueSpec.description.empty()) args.insert(args.end(), {"-D", queueSpec.description});
  args.push_back("-E");
  std::string out;
  if (RunTool(args, &out) != 0) {
    *error = "lpadmin failed for " + queueSpec.name + ": " + out;
    return false;
  }
  if (!queueSpec.accepting && RunTool({"cupsreject", queueSpec.name}) != 0) {
    *error = "cupsreject failed for " + queueSpec.name;
    return false;
  }
  if (!queueSpec.enabled && RunTool({"cupsdisable", queueSpec.name}) != 0) {
    *error = "cupsdisable failed for " + queueSpec.name;
    return false;
  }
  return true;
}

bool PrivatePrintServer::Start(const ServerOptions& options, std::string* error) {
  std::string ignored;
  if (!error) error = &ignored;
  Stop();
  options_ = options;
  if (!options.rootFolder.empty()) {
    std::error_code ec;
    root_ = fs::absolute(options.rootFolder, ec);
    fs::create_directories(root_, ec);
    if (ec || !fs::is_empty(root_, ec)) {
      *error = "the root folder must be new or empty: " + root_.string();
      return false;
    }
    // The root stays: it was asked for by name.
    options_.keepRoot = true;
  } else {
    std::string pattern = (fs::temp_directory_path() / "km-cups-XXXXXX").string();
    if (!mkdtemp(pattern.data())) {
      *error = "cannot make a temporary folder";
      return false;
    }
    root_ = pattern;
  }
  // The scheduler listens on a UNIX socket under the root, whose path has a size limit.
  if (socketPath().size() >= sizeof(sockaddr_un{}.sun_path)) {
    *error = "the root folder path is too long for a socket: " + root_.string();
    return false;
  }
  started_ = true;
  // Backends run as an unprivileged user when the scheduler runs as root.
  chmod(root_.c_str(), 0755);
  if (const char* old = getenv("CUPS_SERVER")) savedCupsServer_ = old;
  setenv("CUPS_SERVER", socketPath().c_str(), 1);
  cupsSetServer(nullptr);
  if (!WriteConfiguration(error) || !SeedQueues(error)) return Stop(), false;
  cupsd_ = Spawn({"cupsd", "-f", "-c", (root_ / "cupsd.conf").string(), "-s",
                  (root_ / "cups-files.conf").string()},
                 root_ / "log" / "cupsd.out");
  if (cupsd_ < 0 || !WaitUntilRunning(error) || !PreparePpds(error)) return Stop(), false;
  for (const QueueSpec& queueSpec : options.queues) {
    if (!AddQueue(queueSpec, error)) return Stop(), false;
  }
  return true;
}

void PrivatePrintServer::StopScheduler(int signal) {
  // A paused scheduler would keep the signal pending until it is killed.
  if (cupsd_ > 0) kill(cupsd_, SIGCONT);
  Terminate(cupsd_, signal);
  cupsd_ = -1;
}

bool PrivatePrintServer::SignalScheduler(int signal) const {
  return cupsd_ > 0 && kill(cupsd_, signal) == 0;
}

void PrivatePrintServer::Stop() {
  if (!started_) return;
  StopScheduler(SIGTERM);
  std::vector<pid_t> printers;
  for (const Child& printer : printers_) printers.push_back(printer.pid);
  Terminate(printers);
  printers_.clear();
  if (savedCupsServer_) {
    setenv("CUPS_SERVER", savedCupsServer_->c_str(), 1);
  } else {
    unsetenv("CUPS_SERVER");
  }
  savedCupsServer_.reset();
  cupsSetServer(nullptr);
  std::error_code ec;
  if (!options_.keepRoot) fs::remove_all(root_, ec);
  started_ = false;
}

}  // namespace print_server
