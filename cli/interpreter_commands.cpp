#include "interpreter_commands.h"

#include <cstdio>
#include <string>

#include "generator_job.h"
#include "project_listing.h"
#include "project_stub.h"

namespace kmjob {
namespace {

constexpr char kInstallUsage[] =
    "install [--builtin | --local DIR] [--auto-start [--resident]] [--error-handler] [--lmi]";
constexpr char kUninstallUsage[] = "uninstall [--interpreter] [--resources]";
constexpr char kStartupUsage[] = "startup [--resident]";

// The flags of the command line that every interpreter job reads.
unsigned int CommonFlags(const CommandLine& line) {
  unsigned int flags = 0;
  if (line.statusPage) flags |= TRM_FLAG_STATUS_PAGE;
  if (line.hex) flags |= TRM_FLAG_HEX;
  return flags;
}

// Fills a new interpreter record and writes the job with it.
int RunInterpreterJob(const CommandLine& line, const std::string& documentName,
                      const std::string& progressText, unsigned int flags,
                      const std::string& localDir, int (*writeJob)(const trmIOS*, const trmVOS*)) {
  IosHandle ios(trmNewIOS());
  if (!ios) {
    std::fprintf(stderr, "kmjob: out of memory\n");
    return 1;
  }
  trmIOSSetFlags(ios.get(), flags);
  if (!localDir.empty()) trmIOSSetLocalKORADir(ios.get(), localDir.c_str());
  if (const std::string label = StatusLabel(line); !label.empty()) {
    trmIOSSetStatusLabel(ios.get(), label.c_str());
  }
  return RunGeneratorJob(line, documentName, progressText,
                         [&](const trmVOS* vos) { return writeJob(ios.get(), vos); });
}

// Usage problems every interpreter command shares: operands, and options of other commands.
std::string CommonProblem(const CommandLine& line, std::string_view command,
                          std::initializer_list<std::string_view> own) {
  if (!line.operands.empty()) {
    return std::string(command) + " takes no operands, not '" + Printable(line.operands[0]) + "'";
  }
  if (std::string foreign = ForeignOption(line, own); !foreign.empty()) {
    return foreign + " does not belong to " + std::string(command);
  }
  return {};
}

}  // namespace

int InstallCommand(const CommandLine& line) {
  std::string problem = CommonProblem(line, "install",
                                      {"--builtin", "--local", "--stub", "--kora", "--auto-start",
                                       "--resident", "--error-handler", "--lmi"});
  const int choices =
      line.builtin + line.local.has_value() + line.stub.has_value() + line.kora.has_value();
  if (problem.empty() && choices > 1) {
    problem = "give at most one of --builtin, --local DIR, --stub FILE and --kora DIR";
  }
  if (problem.empty() && line.resident && !line.autoStart) {
    problem = "--resident keeps the interpreter started by --auto-start; give both";
  }
  if (!problem.empty()) return UsageError(problem, kInstallUsage);

  // --builtin and --stub both mean the built-in image (install needs no stub file); --local
  // and --kora an installation; without them, the interpreter chosen in the settings file.
  InterpreterChoice choice;
  if (line.builtin) {
    choice.builtin = true;
  } else if (line.local) {
    choice.koraDir = *line.local;
  } else if (auto chosen = ChooseInterpreter(line)) {
    choice = *chosen;
  } else {
    std::fprintf(stderr,
                 "kmjob: no interpreter is chosen in the settings file; give --builtin or "
                 "--local DIR\n");
    return 1;
  }
  if (!choice.builtin && choice.koraDir.empty()) {
    return UsageError("--local and --kora need an installation folder", kInstallUsage);
  }
  if (line.lumen && !choice.builtin) {
    return UsageError(
        "--lmi adds a module of the built-in interpreter, and the interpreter "
        "to install is the installation " +
            Printable(choice.koraDir),
        kInstallUsage);
  }

  unsigned int flags = CommonFlags(line);
  if (choice.builtin) flags |= TRM_IOS_BUILTIN;
  if (choice.builtin && (line.lumen || choice.includeLMI)) flags |= TRM_IOS_LUMEN;
  if (line.autoStart) flags |= TRM_IOS_AUTO_START;
  if (line.resident) flags |= TRM_IOS_RESIDENT;
  if (line.errorHandler) flags |= TRM_IOS_ERROR_HANDLER;
  const std::string source = choice.builtin ? std::string("the built-in interpreter")
                                            : "the installation " + Printable(choice.koraDir);
  return RunInterpreterJob(line, "[Install Tessel Compose]",
                           "Writing the job that installs " + source + "...", flags,
                           choice.builtin ? std::string() : choice.koraDir, trmInstallKORA);
}

int UninstallCommand(const CommandLine& line) {
  if (std::string problem = CommonProblem(line, "uninstall", {"--interpreter", "--resources"});
      !problem.empty()) {
    return UsageError(problem, kUninstallUsage);
  }
  unsigned int flags = CommonFlags(line);
  const bool both = !line.removeInterpreter && !line.removeResources;
  if (line.removeInterpreter || both) flags |= TRM_IOS_REMOVE_INTERPRETER;
  if (line.removeResources || both) flags |= TRM_IOS_REMOVE_CUSTOMER;
  return RunInterpreterJob(line, "[Delete Files]", "Writing removal job...", flags, {},
                           trmUninstallKORA);
}

int StartupCommand(const CommandLine& line) {
  if (std::string problem = CommonProblem(line, "startup", {"--resident"}); !problem.empty()) {
    return UsageError(problem, kStartupUsage);
  }
  unsigned int flags = CommonFlags(line);
  if (line.resident) flags |= TRM_IOS_RESIDENT;
  return RunInterpreterJob(line, "[Startup Tessel Compose]", "Writing start-up job...", flags, {},
                           trmStartupKORA);
}

}  // namespace kmjob
