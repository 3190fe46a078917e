// kmsim: a PostScript printer with a disk, simulated with Ghostscript, for KORA jobs.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "disk_view.h"
#include "job_runner.h"
#include "listener.h"
#include "session.h"

namespace {

namespace fs = std::filesystem;

constexpr int kUsageError = 2;

constexpr char kHelp[] =
    "Usage:\n"
    "  kmsim --disk DIR [--pages OUTDIR] [--page-format png|text] [--timeout SEC] JOBFILE...\n"
    "  kmsim --listen HOST:PORT --disk DIR [--pages OUTDIR] [--keep-jobs DIR]\n"
    "        [--allow-remote] [--idle-timeout SEC] [--timeout SEC]\n"
    "\n"
    "Runs KORA job files, in order, on a simulated PostScript printer whose disk is the\n"
    "folder DIR: the printer file mtbc/formlib/logo.frm is DIR/mtbc/formlib/logo.frm.\n"
    "Ghostscript executes each job in its sandbox; it can touch the disk and nothing else,\n"
    "and a printer name that would leave the disk (\"..\", an absolute name) is refused.\n"
    "kmsim keeps its own files in DIR/.kmsim (the lock, the disk as the interpreter sees\n"
    "it, working files); do not edit the disk while kmsim runs on it.\n"
    "\n"
    "With --listen, kmsim is a network printer (raw TCP, one job per connection, port 9100\n"
    "style): it runs each received job on the disk, one at a time in arrival order, until\n"
    "SIGINT or SIGTERM. Only loopback addresses unless --allow-remote. Port 0 picks a free\n"
    "port. A connection that brings no data is no job. --keep-jobs KEEPDIR keeps the bytes\n"
    "of the N-th job as KEEPDIR/job-NNNNNN.bin (six digits) once it has run.\n"
    "\n"
    "Options:\n"
    "  --pages OUTDIR       write each printed page as OUTDIR/jobN-pageM.png\n"
    "  --page-format text   write the text of each page instead (jobN-pageM.txt)\n"
    "  --timeout SEC        stop a job that runs longer (default 600)\n"
    "  --idle-timeout SEC   end a received job after this long without data (default 300)\n"
    "\n"
    "Report (standard output), one record per line, fields separated by one blank; names\n"
    "have every byte outside \"!\"..\"~\", and \"%\" itself, written as %XX:\n"
    "  listening ADDRESS     listen mode is ready\n"
    "  received PEER NOTE    the job from PEER may be cut (connection-broken, idle-timeout)\n"
    "                        or was no job (empty)\n"
    "  job N SOURCE          a job starts (SOURCE: job file or peer address)\n"
    "  added NAME            stored a new file\n"
    "  replaced NAME         stored over an existing file\n"
    "  kept NAME             left an existing file as it was (replace false)\n"
    "  present NAME          a referenced file is on the disk\n"
    "  missing NAME          a referenced file is not on the disk\n"
    "  removed NAME          deleted a file\n"
    "  listed NAME           listed a file\n"
    "  failed NAME           an upload broke off; the previous file, if any, is unchanged\n"
    "  refused NAME          a name that would leave the disk; nothing done\n"
    "  autostart MODE        start-up mode set (0 none, 1 interpreter, 2 resident)\n"
    "  nostart MODE          start-up mode could not be set\n"
    "  startjob true|false   the job entered (true) or left (false) the persistent job\n"
    "  page PATH             a printed page\n"
    "  skipped NAME          a disk entry jobs cannot see (a link, a special file)\n"
    "  conflict NAME         a file that cannot be shown in DIR because a file holds one of\n"
    "                        its folder names; it stays in DIR/.kmsim/flat\n"
    "  stranded FILE         a file in DIR/.kmsim/flat that stands for no printer name\n"
    "  verdict ok            the job ended without a PostScript error\n"
    "  verdict error NAME COMMAND   the PostScript error and the offending command\n"
    "  verdict empty | timeout | failed REASON   no data, too slow, kmsim could not run it\n"
    "  stopped               listen mode ended\n"
    "\n"
    "Exit status: 0 when every job ran without a PostScript error (listen mode: when\n"
    "stopped by a signal), 1 otherwise, 2 for a usage or disk problem. Interpreter\n"
    "output goes to standard error.\n";

bool ParseSeconds(std::string_view text, int& seconds) {
  if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != text.npos) {
    return false;
  }
  seconds = std::stoi(std::string(text));
  return seconds > 0;
}

int Usage(const std::string& message) {
  std::fprintf(stderr, "kmsim: %s (try kmsim --help)\n", message.c_str());
  return kUsageError;
}

}  // namespace

int main(int argc, char** argv) {
  fs::path disk;
  std::string listen;
  kmsim::RunOptions run;
  kmsim::ListenOptions listenOptions;
  std::vector<fs::path> jobs;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    auto value = [&](std::string& out) {
      if (i + 1 >= argc) return false;
      out = argv[++i];
      return true;
    };
    std::string text;
    if (arg == "--help" || arg == "-h") {
      std::fputs(kHelp, stdout);
      return 0;
    } else if (arg == "--disk") {
      if (!value(text) || text.empty()) return Usage("--disk needs a folder");
      disk = text;
    } else if (arg == "--pages") {
      if (!value(text) || text.empty()) return Usage("--pages needs a folder");
      run.pagesDir = text;
    } else if (arg == "--page-format") {
      if (!value(text) || (text != "png" && text != "text")) {
        return Usage("--page-format is png or text");
      }
      run.pageFormat = text == "png" ? kmsim::PageFormat::kPng : kmsim::PageFormat::kText;
    } else if (arg == "--timeout") {
      if (!value(text) || !ParseSeconds(text, run.timeoutSeconds)) {
        return Usage("--timeout needs a number of seconds");
      }
    } else if (arg == "--idle-timeout") {
      if (!value(text) || !ParseSeconds(text, listenOptions.idleTimeoutSeconds)) {
        return Usage("--idle-timeout needs a number of seconds");
      }
    } else if (arg == "--listen") {
      if (!value(listen)) return Usage("--listen needs HOST:PORT");
    } else if (arg == "--keep-jobs") {
      if (!value(text) || text.empty()) return Usage("--keep-jobs needs a folder");
      listenOptions.keepJobsDir = text;
    } else if (arg == "--allow-remote") {
      listenOptions.allowRemote = true;
    } else if (arg == "--") {
      for (++i; i < argc; ++i) jobs.emplace_back(argv[i]);
    } else if (arg.size() > 1 && arg[0] == '-') {
      return Usage("unknown option " + std::string(arg));
    } else {
      jobs.emplace_back(arg);
    }
  }
  if (disk.empty()) return Usage("--disk DIR is required");
  if (listen.empty() && jobs.empty()) return Usage("no job file given");
  if (!listen.empty() && !jobs.empty()) return Usage("--listen takes no job files");
  if (listen.empty() && !listenOptions.keepJobsDir.empty()) {
    return Usage("--keep-jobs belongs to --listen");
  }
  if (!listen.empty()) {
    const std::size_t colon = listen.rfind(':');
    if (colon == std::string::npos || colon + 1 == listen.size()) {
      return Usage("--listen needs HOST:PORT");
    }
    listenOptions.host = listen.substr(0, colon);
    listenOptions.port = listen.substr(colon + 1);
    if (listenOptions.host.size() >= 2 && listenOptions.host.front() == '[' &&
        listenOptions.host.back() == ']') {
      listenOptions.host = listenOptions.host.substr(1, listenOptions.host.size() - 2);
    }
  }
  std::error_code ec;
  for (const fs::path* dir : {&run.pagesDir, &listenOptions.keepJobsDir}) {
    if (!dir->empty() && !fs::create_directories(*dir, ec) && ec) {
      std::fprintf(stderr, "kmsim: cannot create %s: %s\n", dir->c_str(), ec.message().c_str());
      return kUsageError;
    }
  }

  kmsim::DiskView view;
  std::string error;
  if (!view.Open(disk, error)) {
    std::fprintf(stderr, "kmsim: %s\n", error.c_str());
    return kUsageError;
  }
  kmsim::Session session(view, run, stdout);
  if (!listen.empty()) return kmsim::Listen(listenOptions, session, stdout);
  bool allOk = true;
  for (const fs::path& job : jobs) {
    if (!session.RunOne(job, job.string())) allOk = false;
  }
  return allOk ? 0 : 1;
}
