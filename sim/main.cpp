// kmsim: a PostScript printer with a disk, simulated with Ghostscript, for KORA jobs.

#include <cstdint>
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
#include "stop_signal.h"

namespace {

namespace fs = std::filesystem;

constexpr int kUsageError = 2;

constexpr char kHelp[] =
    "Usage:\n"
    "  kmsim --disk DIR [--pages OUTDIR] [--page-format png|text] [LIMITS] JOBFILE...\n"
    "  kmsim --listen HOST:PORT --disk DIR [--pages OUTDIR] [--keep-jobs DIR]\n"
    "        [--allow-remote] [--idle-timeout SEC] [--receive-timeout SEC]\n"
    "        [--max-job-bytes N] [LIMITS]\n"
    "\n"
    "Runs KORA job files, in order, on a simulated PostScript printer whose disk is the\n"
    "folder DIR: the printer file mtbc/formlib/logo.frm is DIR/mtbc/formlib/logo.frm.\n"
    "Ghostscript executes each job in its sandbox; it can touch the disk and nothing else,\n"
    "and a printer name that would leave the disk (\"..\", an absolute name) is refused.\n"
    "Symbolic links, special files and files with more than one name (hard links) in DIR\n"
    "are never followed nor shown to jobs. kmsim keeps its own files in DIR/.kmsim (the\n"
    "lock, the disk as the interpreter sees it, working files emptied after every job).\n"
    "\n"
    "With --listen, kmsim is a network printer (raw TCP, one job per connection, port 9100\n"
    "style): it runs each received job on the disk, one at a time in arrival order, until\n"
    "SIGINT or SIGTERM. Only loopback addresses unless --allow-remote. Port 0 picks a free\n"
    "port. A connection that brings no data is no job. --keep-jobs KEEPDIR keeps the bytes\n"
    "of the N-th job as KEEPDIR/job-NNNNNN.bin (six digits) once it has run.\n"
    "SIGINT or SIGTERM during a job ends the job and its interpreter; the disk is put in\n"
    "order and kmsim exits. The interpreter ends with kmsim in any case, and the disk stays\n"
    "locked until it has.\n"
    "\n"
    "Options:\n"
    "  --pages OUTDIR         write each printed page as OUTDIR/jobN-pageM.png\n"
    "  --page-format text     write the text of each page instead (jobN-pageM.txt)\n"
    "  --idle-timeout SEC     end a received job after this long without data (default 300)\n"
    "  --receive-timeout SEC  end a received job after this long in all (default 3600)\n"
    "  --max-job-bytes N      refuse, unrun, a received job longer than N bytes\n"
    "                         (default 1073741824)\n"
    "Limits of each job (a job that reaches one fails):\n"
    "  --timeout SEC          running time (default 600)\n"
    "  --memory-limit MIB     interpreter address space in MiB (default 1024)\n"
    "  --file-size-limit MIB  largest file a job writes, in MiB (default 1024)\n"
    "Only the last 64 KiB of the interpreter's output are kept.\n"
    "\n"
    "Report (standard output), one record per line, fields separated by one blank; names\n"
    "have every byte outside \"!\"..\"~\", and \"%\" itself, written as %XX. kmsim finds\n"
    "the changes by comparing the disk before and after the job; what a job prints is\n"
    "interpreter output, never a report record.\n"
    "  listening ADDRESS     listen mode is ready\n"
    "  received PEER NOTE    the job from PEER may be cut (connection-broken, idle-timeout,\n"
    "                        receive-timeout), or was not run: no job (empty), longer than\n"
    "                        --max-job-bytes (too-large), kmsim stopping (interrupted),\n"
    "                        no room to store it (cannot-store-job)\n"
    "  job N SOURCE          a job starts (SOURCE: job file or peer address)\n"
    "  skipped NAME REASON   a disk entry jobs cannot see; REASON: symlink, special-file,\n"
    "                        hard-link, name (no printer name can stand for it)\n"
    "  added NAME            a file the job stored under a new name\n"
    "  replaced NAME         a file the job wrote or stored over an existing one\n"
    "  removed NAME          a file the job deleted (or renamed)\n"
    "  page PATH             a printed page\n"
    "  conflict NAME         a file that cannot be shown in DIR because a file holds one of\n"
    "                        its folder names, or a link or special file its name; it stays\n"
    "                        in DIR/.kmsim/flat\n"
    "  stranded FILE         a file in DIR/.kmsim/flat that stands for no printer name\n"
    "  more N                N records of the job not listed (at most 10000 are)\n"
    "  verdict ok            the job ended without a PostScript error\n"
    "  verdict failed REASON the job failed:\n"
    "      error NAME COMMAND   a PostScript error (VMerror: --memory-limit; ioerror also\n"
    "                           when a file reached --file-size-limit)\n"
    "      empty | timeout | interrupted   no data, --timeout, SIGINT or SIGTERM\n"
    "      exit N | signal N    the interpreter ended so without telling an error\n"
    "      disk | cannot-...    kmsim could not run it (see standard error)\n"
    "  stopped               listen mode ended\n"
    "Files a job uploaded but left unchanged (an existing file it kept), files it only\n"
    "read or listed, and names it was refused do not change the disk and have no record:\n"
    "the job's status page and the interpreter output tell of them.\n"
    "\n"
    "Exit status: 0 when every job ran without a PostScript error (listen mode: when\n"
    "stopped by a signal), 1 otherwise, 2 for a usage or disk problem. Interpreter\n"
    "output goes to standard error, each line after \"| \", with every byte outside\n"
    "printable ASCII (line ends and tabs aside) written as \\xHH and \"\\\" as \"\\\\\".\n";

bool ParseSeconds(std::string_view text, int& seconds) {
  if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != text.npos) {
    return false;
  }
  seconds = std::stoi(std::string(text));
  return seconds > 0;
}

bool ParseCount(std::string_view text, std::uint64_t limit, std::uint64_t& count) {
  if (text.empty() || text.size() > 19 || text.find_first_not_of("0123456789") != text.npos) {
    return false;
  }
  count = std::stoull(std::string(text));
  return count > 0 && count <= limit;
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
    } else if (arg == "--receive-timeout") {
      if (!value(text) || !ParseSeconds(text, listenOptions.receiveTimeoutSeconds)) {
        return Usage("--receive-timeout needs a number of seconds");
      }
    } else if (arg == "--max-job-bytes") {
      if (!value(text) || !ParseCount(text, 1ULL << 50, listenOptions.maxJobBytes)) {
        return Usage("--max-job-bytes needs a number of bytes");
      }
    } else if (arg == "--memory-limit") {
      if (!value(text) || !ParseCount(text, 1ULL << 30, run.memoryLimitMiB)) {
        return Usage("--memory-limit needs a number of MiB");
      }
    } else if (arg == "--file-size-limit") {
      if (!value(text) || !ParseCount(text, 1ULL << 30, run.fileSizeLimitMiB)) {
        return Usage("--file-size-limit needs a number of MiB");
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

  if (!kmsim::InstallStopHandlers()) {
    std::fprintf(stderr, "kmsim: cannot install signal handlers\n");
    return kUsageError;
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
    if (kmsim::StopRequested()) return 1;
    if (!session.RunOne(job, job.string())) allOk = false;
  }
  return allOk ? 0 : 1;
}
