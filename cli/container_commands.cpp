#include "container_commands.h"

#include <signal.h>

#include <atomic>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <string>
#include <string_view>

#include "progress_line.h"
#include "project_listing.h"
#include "project_stub.h"
#include "tpsdk/tpsdk.h"

namespace kmjob {
namespace {

constexpr int kUsageError = 64;
constexpr int kProjectError = 1;

// 20 TiB volumes: beyond any real split, and the size in bytes stays within the engine's
// arithmetic.
constexpr long kMaxVolumeBlocks = std::numeric_limits<std::int32_t>::max();

struct Subcommand {
  std::string_view name;
  std::string_view usage;
  std::string_view operandText;
  std::size_t operandCount;  // with the subcommand's own name
};

constexpr Subcommand kCreate{"create",
                             "tpc create PROJECT.tpf OUTPUT.tpc [--tar [--volume-blocks N]]",
                             "a project file and the container to write", 3};
constexpr Subcommand kExtract{"extract",
                              "tpc extract CONTAINER.tpc [--print-and-forget] [--keep-existing]",
                              "one container", 2};
constexpr Subcommand kCheck{"check", "tpc check CONTAINER.tpc", "one container", 2};
constexpr const Subcommand* kSubcommands[] = {&kCreate, &kExtract, &kCheck};

const Subcommand* FindSubcommand(const CommandLine& line) {
  if (line.operands.empty()) return nullptr;
  for (const Subcommand* sub : kSubcommands) {
    if (sub->name == line.operands[0]) return sub;
  }
  return nullptr;
}

// Blocks per volume: a whole decimal number from 1 up; 0 when the text is anything else.
long ParseVolumeBlocks(std::string_view text) {
  long blocks = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), blocks);
  if (error != std::errc() || end != text.data() + text.size() || blocks < 1 ||
      blocks > kMaxVolumeBlocks) {
    return 0;
  }
  return blocks;
}

// What is wrong with the command line of the subcommand; empty when nothing is.
std::string UsageProblem(const CommandLine& line, const Subcommand& sub) {
  if (line.operands.size() != sub.operandCount) {
    return "tpc " + std::string(sub.name) + " needs " + std::string(sub.operandText);
  }
  if (line.stub && line.kora) return "give at most one of --stub FILE and --kora DIR";
  if (&sub != &kCreate && (line.tar || line.volumeBlocks)) {
    return "--tar and --volume-blocks belong to tpc create";
  }
  if (&sub != &kExtract && (line.printAndForget || line.keepExisting)) {
    return "--print-and-forget and --keep-existing belong to tpc extract";
  }
  if (line.volumeBlocks && !line.tar) return "--volume-blocks needs --tar";
  if (line.volumeBlocks && ParseVolumeBlocks(*line.volumeBlocks) == 0) {
    return "--volume-blocks needs a whole number of blocks from 1 to " +
           std::to_string(kMaxVolumeBlocks) + ", not '" + Printable(*line.volumeBlocks) + "'";
  }
  return {};
}

int UsageError(const std::string& problem, const Subcommand* sub) {
  std::fprintf(stderr, "kmjob: %s\n", problem.c_str());
  for (const Subcommand* shown : kSubcommands) {
    if (sub && shown != sub) continue;
    std::fprintf(stderr, "usage: kmjob %.*s [--stub FILE | --kora DIR]\n",
                 static_cast<int>(shown->usage.size()), shown->usage.data());
  }
  return kUsageError;
}

// Ctrl-C asks the running archive operation to stop at its next progress report, which
// removes what it had written; a second Ctrl-C ends kmjob at once.
std::atomic<bool> interrupted{false};
static_assert(std::atomic<bool>::is_always_lock_free);

void NoteInterrupt(int) {
  interrupted.store(true);
}

class InterruptCatcher {
 public:
  InterruptCatcher() {
    struct sigaction action {};
    action.sa_handler = NoteInterrupt;
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    installed_ = sigaction(SIGINT, &action, &previous_) == 0;
  }
  ~InterruptCatcher() {
    if (installed_) sigaction(SIGINT, &previous_, nullptr);
  }
  InterruptCatcher(const InterruptCatcher&) = delete;
  InterruptCatcher& operator=(const InterruptCatcher&) = delete;

 private:
  struct sigaction previous_ {};
  bool installed_ = false;
};

std::string Megabytes(std::uint64_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", static_cast<double>(bytes) / (1024.0 * 1024.0));
  return text;
}

// "Creating: 3/10 files, 1.2/5.0 MB, name": totals only where the operation knows them, the
// bare file name so the line fits a terminal.
std::string ProgressText(std::string_view verb, const tpsdk::ArchiveStatus& status) {
  std::string text(verb);
  text += ": " + std::to_string(status.filesDone);
  if (status.files > 0) text += "/" + std::to_string(status.files);
  text += " files, " + Megabytes(status.bytesDone);
  if (status.totalBytes > 0) text += "/" + Megabytes(status.totalBytes);
  text += " MB";
  if (!status.currentFile.empty()) {
    const std::size_t slash = status.currentFile.find_last_of('/');
    text += ", " + Printable(slash == std::string::npos ? status.currentFile
                                                        : status.currentFile.substr(slash + 1));
  }
  return text;
}

// Runs one archive operation with the progress line and Ctrl-C in place; its status mask.
template <typename Operation>
int RunArchiveOperation(tpsdk::Project& project, std::string_view verb, Operation operation) {
  InterruptCatcher catcher;
  ProgressLine progress;
  std::string shown;
  project.SetProgressCallback([&](tpsdk::Project&, const tpsdk::ArchiveStatus& status) {
    std::string text = ProgressText(verb, status);
    if (text != shown) {
      progress.Show(text);
      shown = std::move(text);
    }
    return interrupted.load() ? 1 : 0;
  });
  const int mask = operation();
  project.SetProgressCallback({});
  return mask;
}

int Create(tpsdk::Project& project, const CommandLine& line, std::string& failedFile,
           std::string& earlierMessages) {
  const std::string& projectFile = line.operands[1];
  const std::string& container = line.operands[2];
  int mask = project.OpenProjectFile(projectFile.c_str());
  if (mask & tpsdk::kError) {
    failedFile = projectFile;
    return mask;
  }
  // Creating the container clears the log; the reader's warnings still concern the operator.
  earlierMessages = project.GetMessages();
  // The container gets a freshly written project file; the operator's own file stays as it is.
  project.SetExportToTemporary(true);
  project.SetArchiveFlag(line.tar);
  const long volumeBlocks = line.volumeBlocks ? ParseVolumeBlocks(*line.volumeBlocks) : 0;
  project.GetArchiveEngine().SetVolumeSize(volumeBlocks);
  mask = RunArchiveOperation(project, "Creating",
                             [&] { return project.CreateContainer(container.c_str()); });
  failedFile = container;
  if (mask & tpsdk::kError) return mask;
  // The names actually written: a zip name without a suffix gets one, volumes have their own.
  tpsdk::ArchiveEngine& engine = project.GetArchiveEngine();
  if (volumeBlocks == 0) {
    std::printf("%s\n", Printable(project.GetArchiveName()).c_str());
  } else {
    for (long i = 0; i < engine.GetVolumeCount(); ++i) {
      engine.MakeVolumeName(i);
      std::printf("%s\n", Printable(engine.GetFullVolumeName()).c_str());
    }
  }
  return mask;
}

int Extract(tpsdk::Project& project, const CommandLine& line, std::string& failedFile) {
  const std::string& container = line.operands[1];
  failedFile = container;
  if (line.keepExisting) {
    project.SetOverwriteCallback([](tpsdk::Project&, const std::string&) { return 0; });
  }
  const int mask = RunArchiveOperation(project, "Extracting", [&] {
    return line.printAndForget ? project.OpenContainerPrintAndForget(container.c_str())
                               : project.OpenContainer(container.c_str());
  });
  if (mask & tpsdk::kError) return mask;
  std::printf("Folder name:  %s\nProject name: %s\nProject file: %s\n",
              Printable(project.GetFolderName()).c_str(),
              Printable(project.GetProjectName()).c_str(),
              Printable(project.GetProjectFilePath()).c_str());
  PrintResources(stdout, project);
  return mask;
}

int Check(tpsdk::Project& project, const CommandLine& line, std::string& failedFile) {
  const std::string& container = line.operands[1];
  failedFile = container;
  const int mask = RunArchiveOperation(
      project, "Checking", [&] { return project.ValidateContainer(container.c_str()); });
  if (mask & tpsdk::kError) return mask;
  std::printf("Folder name:  %s\nProject name: %s\nResources:    %zu\n",
              Printable(project.GetFolderName()).c_str(),
              Printable(project.GetProjectName()).c_str(), project.GetElementCount());
  return mask;
}

// The lines of later that earlier lacks, behind earlier: one message is shown once.
std::string MergedMessages(const std::string& earlier, std::string_view later) {
  std::string merged = earlier;
  std::size_t start = 0;
  while (start < later.size()) {
    std::size_t end = later.find('\n', start);
    if (end == std::string_view::npos) end = later.size();
    const std::string_view message = later.substr(start, end - start);
    if (!message.empty() && merged.find(message) == std::string::npos) {
      if (!merged.empty() && merged.back() != '\n') merged += '\n';
      merged += message;
    }
    start = end + 1;
  }
  return merged;
}

}  // namespace

int TpcCommand(const CommandLine& line) {
  const Subcommand* sub = FindSubcommand(line);
  if (!sub) {
    return UsageError(line.operands.empty() ? "tpc needs create, extract or check"
                                            : "unknown tpc command " + Printable(line.operands[0]),
                      nullptr);
  }
  if (std::string problem = UsageProblem(line, *sub); !problem.empty()) {
    return UsageError(problem, sub);
  }
  auto project = CreateProjectFor(line);
  if (!project) return kProjectError;
  const std::string stubMessages = project->GetMessages();

  interrupted.store(false);
  std::string failedFile, earlierMessages;
  const int mask = sub == &kCreate    ? Create(*project, line, failedFile, earlierMessages)
                   : sub == &kExtract ? Extract(*project, line, failedFile)
                                      : Check(*project, line, failedFile);
  std::fflush(stdout);
  if (!stubMessages.empty()) {
    std::fprintf(stderr, "Stub file messages:\n%s", PrintableLines(stubMessages).c_str());
  }
  const std::string messages = MergedMessages(earlierMessages, project->GetMessages());
  if (!messages.empty()) std::fprintf(stderr, "Messages:\n%s", PrintableLines(messages).c_str());
  if (mask & tpsdk::kError) {
    std::fprintf(stderr, "kmjob: %s: tpc %.*s failed%s (see Messages)\n",
                 Printable(failedFile).c_str(), static_cast<int>(sub->name.size()),
                 sub->name.data(), interrupted.load() ? " after Ctrl-C" : "");
    return kProjectError;
  }
  return 0;
}

}  // namespace kmjob
