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
  std::optional<std::string> stub;      // project-info: the stub file
  std::optional<std::string> kora;      // project-info: an interpreter installation folder
  bool statusPage = false;
  bool hex = false;
  bool keepExisting = false;
  bool overwriteOutput = false;
  bool all = false;  // remove-files: everything on the printer, asked for explicitly
  bool help = false;
  bool version = false;
};

// Parses argv; on a usage error returns nothing and sets the error text.
std::optional<CommandLine> ParseCommandLine(int argc, const char* const* argv, std::string& error);

}  // namespace kmjob
