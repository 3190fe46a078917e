#include "project_commands.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "platform/file_helpers.h"
#include "settings/settings_file.h"
#include "settings/settings_keys.h"
#include "tpsdk/tpsdk.h"

namespace kmjob {
namespace {

constexpr int kUsageError = 64;
constexpr int kProjectError = 1;

// Names come from files of other machines: control bytes must not reach the terminal.
std::string Printable(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < ' ' || c == 0x7f) {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += ch;
    }
  }
  return out;
}

// Messages keep their line breaks; every other control byte is shown as \xHH.
std::string PrintableLines(std::string_view text) {
  std::string out;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    out += "  " + Printable(text.substr(start, end - start)) + "\n";
    start = end + 1;
  }
  return out;
}

const char* ScopeName(int scope) {
  switch (scope) {
    case tpsdk::kScopeLocal:
      return "Local";
    case tpsdk::kScopeFolder:
      return "Folder shared";
    case tpsdk::kScopeGlobal:
      return "Global shared";
    default:
      return "Unknown scope";
  }
}

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

void PrintResources(const tpsdk::Project& project) {
  std::printf("\nResources: %zu\n", project.GetElementCount());
  for (std::size_t i = 0; i < project.GetElementCount(); ++i) {
    const tpsdk::ProjectElement& element = *project.GetElement(i);
    const std::string path = element.GetLocalPath();
    std::printf("  %-4s %-13s %s -> %s%s\n", Printable(element.GetType()).c_str(),
                ScopeName(element.GetScope()), Printable(element.GetName()).c_str(),
                path.empty() ? "(not resolved)" : Printable(path).c_str(),
                path.empty() || platform::Exists(path.c_str()) ? "" : " (missing)");
  }
  std::printf("\nSubmission files: %zu\n", project.GetSubmissionFileCount());
  for (std::size_t i = 0; i < project.GetSubmissionFileCount(); ++i) {
    std::printf("  %zu. %s", i + 1, Printable(project.GetSubmissionFilePath(i)).c_str());
    const std::string ticket = project.GetSubmissionJobTicketPath(i);
    if (!ticket.empty()) std::printf("  (job ticket %s)", Printable(ticket).c_str());
    std::printf("\n");
  }
}

// The stub file of the interpreter chosen in the settings file: the built-in image's stub, or
// the run file of the local installation. Empty when no choice is stored.
std::string StubFromSettings(const CommandLine& line) {
  settings::SettingsFile file(settings::kApplicationName, {}, line.settings.value_or(""));
  const settings::Settings stored = settings::ReadSettings(file);
  if (stored.useBuiltin) return stored.koraStub;
  return stored.koraCore.empty() ? std::string() : stored.koraCore + "/src/mtbdos.run";
}

}  // namespace

int ProjectInfoCommand(const CommandLine& line) {
  if (line.operands.size() != 1 || (line.stub && line.kora)) {
    std::fprintf(stderr,
                 "kmjob: project-info needs one project file and at most one of --stub FILE "
                 "and --kora DIR (try kmjob --help)\n");
    return kUsageError;
  }
  const std::string stubPath = line.stub   ? *line.stub
                               : line.kora ? *line.kora + "/src/mtbdos.run"
                                           : StubFromSettings(line);
  if (stubPath.empty()) {
    std::fprintf(stderr,
                 "kmjob: no interpreter is chosen in the settings file; give --stub FILE or "
                 "--kora DIR\n");
    return kProjectError;
  }
  auto project = tpsdk::TpsdkCreateProject(stubPath.c_str());
  if (!project) {
    std::fprintf(stderr, "kmjob: the stub file %s does not exist\n", Printable(stubPath).c_str());
    return kProjectError;
  }
  const std::string stubMessages = project->GetMessages();
  const int status = project->OpenProjectFile(line.operands[0].c_str());
  // A file in a nearer scope hides its namesakes; the operator should know which one is sent.
  for (std::size_t i = 0; i < project->GetElementCount(); ++i) {
    project->WarnScopeHiding(project->GetElement(i)->GetName());
  }
  PrintInformation(*project);
  PrintResources(*project);
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
