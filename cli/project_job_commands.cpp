#include "project_job_commands.h"

#include <charconv>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

#include "generator_job.h"
#include "generator_session.h"
#include "job_commands.h"
#include "platform/temp_name.h"
#include "progress_line.h"
#include "project_listing.h"
#include "project_stub.h"

namespace kmjob {
namespace {

constexpr char kLoadUsage[] =
    "load-project PROJECT [--resource NAME]... [--skip-folder-shared] [--skip-global-shared] "
    "[--keep-existing] [--stub FILE | --kora DIR]";
constexpr char kRemoveUsage[] =
    "remove-project FOLDER PROJECT [--keep-folder-shared] [--keep-global-shared]";
constexpr char kListUsage[] = "list-project FOLDER PROJECT";
constexpr char kResourcesUsage[] =
    "resources PROJECT [--resource NAME]... [--skip-folder-shared] [--skip-global-shared] "
    "[--stub FILE | --kora DIR]";
constexpr char kSendUsage[] =
    "send-container PROJECT [--submission NAME | --external FILE] [--pages FIRST-LAST] "
    "[--embed] [--include | --deploy [--keep-existing]] [--skip-folder-shared] "
    "[--skip-global-shared] [--resident] [--lmi] [--stub FILE | --kora DIR]";

bool EndsWithNoCase(std::string_view text, std::string_view suffix) {
  if (text.size() < suffix.size()) return false;
  text.remove_prefix(text.size() - suffix.size());
  for (std::size_t i = 0; i < suffix.size(); ++i) {
    if ((text[i] | 0x20) != suffix[i]) return false;
  }
  return true;
}

// A container (or one volume of a split one) is opened as a container, anything else as a
// project file.
bool IsContainer(const std::string& path) {
  return EndsWithNoCase(path, ".tpc") || EndsWithNoCase(path, ".tpv");
}

std::string FileNameOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Usage problems every project command shares: the operand count, options of other commands,
// and two interpreters at once.
std::string CommonProblem(const CommandLine& line, std::string_view command,
                          std::size_t operandCount, std::string_view operandText,
                          std::initializer_list<std::string_view> own, bool withJobOptions = true) {
  if (line.operands.size() != operandCount) {
    return std::string(command) + " needs " + std::string(operandText);
  }
  if (std::string foreign = ForeignOption(line, own, withJobOptions); !foreign.empty()) {
    return foreign + " does not belong to " + std::string(command);
  }
  if (line.stub && line.kora) return "give at most one of --stub FILE and --kora DIR";
  return {};
}

// A project record for the project file or container, found through the chosen interpreter:
// the built-in image's stub file, or the installation's run file. Null, with the reason on
// standard error, when there is no interpreter or no memory.
PpsHandle ProjectRecord(const CommandLine& line, const std::string& project,
                        const InterpreterChoice& interpreter) {
  PpsHandle pps(trmNewPPS());
  if (!pps) {
    std::fprintf(stderr, "kmjob: out of memory\n");
    return nullptr;
  }
  unsigned int flags = 0;
  if (interpreter.builtin) {
    flags |= TRM_PPS_USE_STUB;
    trmPPSSetStubPath(pps.get(), interpreter.stubPath.c_str());
  } else {
    trmPPSSetKORAPath(pps.get(), interpreter.koraDir.c_str());
  }
  if (IsContainer(project)) {
    trmPPSSetMode(pps.get(), TRM_MODE_CONTAINER);
    trmPPSSetContainerFile(pps.get(), project.c_str());
  } else {
    trmPPSSetMode(pps.get(), TRM_MODE_PROJECT_FILE);
    trmPPSSetProjectFile(pps.get(), project.c_str());
  }
  for (const std::string& name : line.resources) trmPPSAddResource(pps.get(), name.c_str());
  if (line.skipFolderShared) flags |= TRM_PPS_SKIP_FOLDER_SHARED;
  if (line.skipGlobalShared) flags |= TRM_PPS_SKIP_GLOBAL_SHARED;
  if (line.hex) flags |= TRM_FLAG_HEX;
  trmSetFlags(pps.get(), flags);
  if (const std::string label = StatusLabel(line); !label.empty()) {
    trmPPSSetStatusLabel(pps.get(), label.c_str());
  }
  return pps;
}

// A record naming a project on the printer by folder and project name.
PpsHandle PrinterProjectRecord(const CommandLine& line, unsigned int flags) {
  PpsHandle pps(trmNewPPS());
  if (!pps) {
    std::fprintf(stderr, "kmjob: out of memory\n");
    return nullptr;
  }
  trmPPSSetProject(pps.get(), line.operands[0].c_str(), line.operands[1].c_str());
  trmSetFlags(pps.get(), flags);
  if (const std::string label = StatusLabel(line); !label.empty()) {
    trmPPSSetStatusLabel(pps.get(), label.c_str());
  }
  return pps;
}

int RunProjectJob(const CommandLine& line, const trmPPS* pps, const std::string& documentName,
                  const std::string& progressText, int (*writeJob)(const trmPPS*, const trmVOS*)) {
  return RunGeneratorJob(line, documentName, progressText,
                         [&](const trmVOS* vos) { return writeJob(pps, vos); });
}

// FIRST-LAST, two whole numbers from 1 with FIRST <= LAST.
bool ParsePages(std::string_view text, int& first, int& last) {
  const std::size_t dash = text.find('-');
  if (dash == std::string_view::npos) return false;
  auto number = [](std::string_view digits, int& value) {
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    return error == std::errc() && end == digits.data() + digits.size() && value >= 1;
  };
  return number(text.substr(0, dash), first) && number(text.substr(dash + 1), last) &&
         first <= last;
}

// A private folder for a listing file; it and whatever is in it go when this ends.
class PrivateFolder {
 public:
  PrivateFolder() {
    platform::TextObject folder;
    if (platform::MakeTempDir(folder)) path_ = folder.cstr();
  }
  ~PrivateFolder() {
    if (path_.empty()) return;
    std::remove(File().c_str());
    std::remove(path_.c_str());
  }
  PrivateFolder(const PrivateFolder&) = delete;
  PrivateFolder& operator=(const PrivateFolder&) = delete;
  bool made() const { return !path_.empty(); }
  std::string File() const { return path_ + "/listing"; }

 private:
  std::string path_;
};

struct FileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

// Copies the listing to standard output line by line, control bytes shown as \xHH; false when
// it cannot be read or standard output cannot be written.
bool PrintListing(const std::string& path) {
  std::unique_ptr<std::FILE, FileCloser> in(std::fopen(path.c_str(), "rb"));
  if (!in) return false;
  char buffer[1 << 16];
  std::size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, in.get())) > 0) {
    std::string_view chunk(buffer, count);
    std::string text;
    for (std::size_t start = 0; start < chunk.size();) {
      std::size_t end = chunk.find('\n', start);
      const bool lineEnds = end != std::string_view::npos;
      if (!lineEnds) end = chunk.size();
      text += Printable(chunk.substr(start, end - start));
      if (lineEnds) text += '\n';
      start = end + 1;
    }
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) return false;
  }
  return !std::ferror(in.get()) && std::fflush(stdout) == 0;
}

// What is wrong with a send-container command line; empty when nothing is. Sets the page range.
std::string SendContainerProblem(const CommandLine& line, int& first, int& last) {
  if (std::string problem =
          CommonProblem(line, "send-container", 1, "one project file or container",
                        {"--stub", "--kora", "--submission", "--external", "--pages", "--embed",
                         "--include", "--deploy", "--keep-existing", "--resident", "--lmi",
                         "--skip-folder-shared", "--skip-global-shared"});
      !problem.empty()) {
    return problem;
  }
  if (line.submission && line.external) {
    return "give at most one of --submission NAME and --external FILE";
  }
  if (line.include && line.deploy) return "give at most one of --include and --deploy";
  if ((line.keepExisting || line.statusPage) && !line.deploy) {
    return "--keep-existing and --status-page belong to --deploy";
  }
  if ((line.skipFolderShared || line.skipGlobalShared) && !line.include && !line.deploy) {
    return "--skip-folder-shared and --skip-global-shared need --include or --deploy";
  }
  if (line.resident && !line.embed && !line.include) {
    return "--resident keeps the interpreter or the resources in printer memory; it needs "
           "--embed or --include";
  }
  if (line.pages && !ParsePages(*line.pages, first, last)) {
    return "--pages needs FIRST-LAST, two page numbers from 1 with FIRST <= LAST, not '" +
           Printable(*line.pages) + "'";
  }
  return {};
}

}  // namespace

int LoadProjectCommand(const CommandLine& line) {
  if (std::string problem = CommonProblem(line, "load-project", 1, "one project file or container",
                                          {"--stub", "--kora", "--resource", "--skip-folder-shared",
                                           "--skip-global-shared", "--keep-existing"});
      !problem.empty()) {
    return UsageError(problem, kLoadUsage);
  }
  const auto interpreter = ChooseInterpreterWithRunFile(line);
  if (!interpreter) return 1;
  const std::string& project = line.operands[0];
  PpsHandle pps = ProjectRecord(line, project, *interpreter);
  if (!pps) return 1;
  unsigned int flags = 0;
  if (!line.keepExisting) flags |= TRM_FLAG_REPLACE;
  if (line.statusPage) flags |= TRM_FLAG_STATUS_PAGE;
  trmAddFlags(pps.get(), flags);
  return RunProjectJob(line, pps.get(), "[Load Project Resources] " + FileNameOf(project),
                       "Writing the job that loads " + Printable(FileNameOf(project)) + "...",
                       trmCreateProjectResourceLoader);
}

int RemoveProjectCommand(const CommandLine& line) {
  if (std::string problem =
          CommonProblem(line, "remove-project", 2, "a folder name and a project name",
                        {"--keep-folder-shared", "--keep-global-shared"});
      !problem.empty()) {
    return UsageError(problem, kRemoveUsage);
  }
  unsigned int flags = 0;
  if (line.keepFolderShared) flags |= TRM_PPS_SKIP_FOLDER_SHARED;
  if (line.keepGlobalShared) flags |= TRM_PPS_SKIP_GLOBAL_SHARED;
  if (line.statusPage) flags |= TRM_FLAG_STATUS_PAGE;
  if (line.hex) flags |= TRM_FLAG_HEX;
  PpsHandle pps = PrinterProjectRecord(line, flags);
  if (!pps) return 1;
  return RunProjectJob(line, pps.get(), "[Delete Files]", "Writing removal job...",
                       trmCreateProjectRemover);
}

int ListProjectCommand(const CommandLine& line) {
  if (std::string problem =
          CommonProblem(line, "list-project", 2, "a folder name and a project name", {});
      !problem.empty()) {
    return UsageError(problem, kListUsage);
  }
  // The listing is the printout: a status page is printed whatever the flags say.
  PpsHandle pps = PrinterProjectRecord(line, line.hex ? TRM_FLAG_HEX : 0);
  if (!pps) return 1;
  return RunProjectJob(line, pps.get(), "[List Files]", "Writing listing job...",
                       trmListPrinterProjectResources);
}

int ResourcesCommand(const CommandLine& line) {
  // A listing for the operator: nothing is written for a printer.
  if (std::string problem = CommonProblem(line, "resources", 1, "one project file or container",
                                          {"--stub", "--kora", "--settings", "--resource",
                                           "--skip-folder-shared", "--skip-global-shared"},
                                          false);
      !problem.empty()) {
    return UsageError(problem, kResourcesUsage);
  }
  const auto interpreter = ChooseInterpreterWithRunFile(line);
  if (!interpreter) return 1;
  PpsHandle pps = ProjectRecord(line, line.operands[0], *interpreter);
  VosHandle vos(trmNewVOS());
  if (!pps || !vos) {
    if (pps) std::fprintf(stderr, "kmjob: out of memory\n");
    return 1;
  }
  PrivateFolder folder;
  if (!folder.made()) {
    std::fprintf(stderr, "kmjob: cannot make a temporary folder in %s\n",
                 Printable(platform::TempDirectory()).c_str());
    return 1;
  }
  const std::string listing = folder.File();
  trmVOSSetOutputPath(vos.get(), listing.c_str());

  GeneratorSession session;
  if (session.status() != TRM_OK) {
    std::fprintf(stderr, "kmjob: %s\n", LastGeneratorMessage().c_str());
    return ExitStatusOf(session.status());
  }
  int status;
  {
    ProgressLine progress;
    progress.Show("Listing the resources of " + Printable(FileNameOf(line.operands[0])) + "...");
    status = trmListProjectResources(pps.get(), vos.get());
  }
  if (status != TRM_OK) {
    std::fprintf(stderr, "kmjob: %s\n", LastGeneratorMessage().c_str());
    return ExitStatusOf(status);
  }
  if (!PrintListing(listing)) {
    std::fprintf(stderr, "kmjob: cannot copy the listing %s to standard output\n",
                 Printable(listing).c_str());
    return 1;
  }
  return 0;
}

int SendContainerCommand(const CommandLine& line) {
  int first = 0, last = 0;
  const std::string problem = SendContainerProblem(line, first, last);
  if (!problem.empty()) return UsageError(problem, kSendUsage);

  const auto interpreter = ChooseInterpreterWithRunFile(line);
  if (!interpreter) return 1;
  if (line.lumen && !interpreter->builtin) {
    return UsageError(
        "--lmi adds a module of the built-in interpreter, and the interpreter "
        "chosen is the installation " +
            Printable(interpreter->koraDir),
        kSendUsage);
  }
  const std::string& project = line.operands[0];
  PpsHandle pps = ProjectRecord(line, project, *interpreter);
  if (!pps) return 1;
  unsigned int flags = 0;
  if (interpreter->builtin && (line.lumen || interpreter->includeLMI)) flags |= TRM_PPS_LUMEN;
  if (line.submission) trmPPSSetSubmissionFile(pps.get(), line.submission->c_str());
  if (line.external) {
    trmPPSSetSubmissionFile(pps.get(), line.external->c_str());
    flags |= TRM_PPS_EXTERNAL_SUBMISSION;
  }
  if (line.pages) {
    trmPPSSetPageRange(pps.get(), 2, first, last);
    flags |= TRM_PPS_PAGE_RANGE;
  }
  if (line.embed) flags |= TRM_PPS_EMBED_KORA;
  if (line.include) flags |= TRM_PPS_INCLUDE_RESOURCES;
  if (line.deploy) flags |= TRM_PPS_DEPLOY_RESOURCES;
  if (line.deploy && !line.keepExisting) flags |= TRM_FLAG_REPLACE;
  if (line.statusPage) flags |= TRM_FLAG_STATUS_PAGE;
  if (line.resident) flags |= TRM_PPS_RESIDENT;
  trmAddFlags(pps.get(), flags);
  return RunProjectJob(line, pps.get(), "[Send Container] " + FileNameOf(project),
                       "Writing the print job of " + Printable(FileNameOf(project)) + "...",
                       trmCreatePrintableContainer);
}

}  // namespace kmjob
