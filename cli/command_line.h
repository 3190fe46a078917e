#pragma once
// Parsed command line of kmjob: a command, its operands and the options shared by all commands.

#include <optional>
#include <string>
#include <vector>

namespace kmjob {

struct CommandLine {
  std::string command;
  std::vector<std::string> operands;
  std::optional<std::string> output;
  std::optional<std::string> label;
  std::optional<std::string> pattern;
  std::optional<std::string> dest;      // a printer, or a group behind the group prefix
  std::optional<std::string> group;     // a group by its plain name
  std::optional<std::string> settings;  // another settings file
  std::optional<std::string> stub;      // project commands: the stub file
  std::optional<std::string> kora;      // project commands: an interpreter installation folder
  bool statusPage = false;
  bool hex = false;
  bool keepExisting = false;
  bool overwriteOutput = false;
  bool all = false;  // remove-files: everything on the printer, asked for explicitly

  // tpc create: a tar container, in volumes of that many blocks; tpc extract: into the
  // Print-and-Forget folder.
  bool tar = false;
  std::optional<std::string> volumeBlocks;
  bool printAndForget = false;

  // Interpreter jobs: the interpreter to install (--builtin, or --local DIR, the same as --kora
  // DIR) and its options; uninstall's choice of what to remove.
  bool builtin = false;
  std::optional<std::string> local;
  bool autoStart = false;
  bool resident = false;
  bool errorHandler = false;
  bool lumen = false;  // --lmi
  bool removeInterpreter = false;
  bool removeResources = false;

  // Project jobs: resource names or patterns (--resource, repeatable), the shared scopes left
  // out of a load or kept on the printer by a removal, and the printable container's parts.
  std::vector<std::string> resources;
  bool skipFolderShared = false;
  bool skipGlobalShared = false;
  bool keepFolderShared = false;
  bool keepGlobalShared = false;
  std::optional<std::string> submission;  // a submission resource of the project
  std::optional<std::string> external;    // a submission file outside the project
  std::optional<std::string> pages;       // FIRST-LAST
  bool embed = false;
  bool include = false;
  bool deploy = false;

  // Every option as it was named ("--label"), in order: a command refuses those not its own.
  std::vector<std::string> optionsGiven;

  bool help = false;
  bool version = false;
};

// Parses argv; on a usage error returns nothing and sets the error text.
std::optional<CommandLine> ParseCommandLine(int argc, const char* const* argv, std::string& error);

}  // namespace kmjob
