#include "project_commands.h"

#include <cstdio>
#include <string>
#include <utility>

#include "project_listing.h"
#include "project_stub.h"
#include "tpsdk/tpsdk.h"

namespace kmjob {
namespace {

constexpr int kUsageError = 64;
constexpr int kProjectError = 1;

void PrintInformation(const tpsdk::Project& project) {
  const std::pair<const char*, std::string> fields[] = {
      {"Project file", project.GetProjectFilePath()},
      {"TPF version", project.GetTpfVersion()},
      {"Project type", std::string(tpsdk::Project::ProjectTypeName(project.GetProjectType()))},
      {"Folder name", project.GetFolderName()},
      {"Project name", project.GetProjectName()},
      {"Version", project.GetProjectVersion()},
      {"Title", project.GetProjectTitle()},
      {"Description", project.GetProjectDescription()},
      {"Author", project.GetAuthor()},
      {"Keywords", project.GetKeywords()},
      {"Generator", project.GetGenerator()},
      {"Creation date", project.GetCreationDate()},
      {"Copyright", project.GetCopyright()},
  };
  for (const auto& [label, value] : fields) {
    std::printf("%-14s %s\n", (std::string(label) + ":").c_str(), Printable(value).c_str());
  }
}

void PrintResourcesAndSubmissionFiles(const tpsdk::Project& project) {
  std::printf("\n");
  PrintResources(stdout, project);
  std::printf("\nSubmission files: %zu\n", project.GetSubmissionFileCount());
  for (std::size_t i = 0; i < project.GetSubmissionFileCount(); ++i) {
    std::printf("  %zu. %s", i + 1, Printable(project.GetSubmissionFilePath(i)).c_str());
    const std::string ticket = project.GetSubmissionJobTicketPath(i);
    if (!ticket.empty()) std::printf("  (job ticket %s)", Printable(ticket).c_str());
    std::printf("\n");
  }
}

}  // namespace

int ProjectInfoCommand(const CommandLine& line) {
  if (line.operands.size() != 1 || (line.stub && line.kora)) {
    std::fprintf(stderr,
                 "kmjob: project-info needs one project file and at most one of --stub FILE "
                 "and --kora DIR (try kmjob --help)\n");
    return kUsageError;
  }
  auto project = CreateProjectFor(line);
  if (!project) return kProjectError;
  const std::string stubMessages = project->GetMessages();
  const int status = project->OpenProjectFile(line.operands[0].c_str());
  // A file in a nearer scope hides its namesakes; the operator should know which one is sent.
  for (std::size_t i = 0; i < project->GetElementCount(); ++i) {
    project->WarnScopeHiding(project->GetElement(i)->GetName());
  }
  PrintInformation(*project);
  PrintResourcesAndSubmissionFiles(*project);
  if (!stubMessages.empty()) {
    std::printf("\nStub file messages:\n%s", PrintableLines(stubMessages).c_str());
  }
  const std::string messages = project->GetMessages();
  if (!messages.empty()) std::printf("\nMessages:\n%s", PrintableLines(messages).c_str());
  std::fflush(stdout);
  if (status & tpsdk::kError) {
    std::fprintf(stderr, "kmjob: %s: the project has errors (see Messages)\n",
                 Printable(line.operands[0]).c_str());
    return kProjectError;
  }
  return 0;
}

}  // namespace kmjob
