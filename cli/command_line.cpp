#include "command_line.h"

#include <string_view>

namespace kmjob {
namespace {

// Options that take a value, as "--name VALUE" or "--name=VALUE".
std::optional<std::string>* ValueOption(CommandLine& line, std::string_view name) {
  if (name == "--output") return &line.output;
  if (name == "--label") return &line.label;
  if (name == "--pattern") return &line.pattern;
  if (name == "--dest") return &line.dest;
  if (name == "--group") return &line.group;
  if (name == "--settings") return &line.settings;
  if (name == "--stub") return &line.stub;
  if (name == "--kora") return &line.kora;
  if (name == "--volume-blocks") return &line.volumeBlocks;
  if (name == "--local") return &line.local;
  if (name == "--submission") return &line.submission;
  if (name == "--external") return &line.external;
  if (name == "--pages") return &line.pages;
  return nullptr;
}

bool* SwitchOption(CommandLine& line, std::string_view name) {
  if (name == "--status-page") return &line.statusPage;
  if (name == "--hex") return &line.hex;
  if (name == "--keep-existing") return &line.keepExisting;
  if (name == "--overwrite") return &line.overwriteOutput;
  if (name == "--all") return &line.all;
  if (name == "--tar") return &line.tar;
  if (name == "--print-and-forget") return &line.printAndForget;
  if (name == "--builtin") return &line.builtin;
  if (name == "--auto-start") return &line.autoStart;
  if (name == "--resident") return &line.resident;
  if (name == "--error-handler") return &line.errorHandler;
  if (name == "--lmi") return &line.lumen;
  if (name == "--interpreter") return &line.removeInterpreter;
  if (name == "--resources") return &line.removeResources;
  if (name == "--skip-folder-shared") return &line.skipFolderShared;
  if (name == "--skip-global-shared") return &line.skipGlobalShared;
  if (name == "--keep-folder-shared") return &line.keepFolderShared;
  if (name == "--keep-global-shared") return &line.keepGlobalShared;
  if (name == "--embed") return &line.embed;
  if (name == "--include") return &line.include;
  if (name == "--deploy") return &line.deploy;
  if (name == "--help" || name == "-h") return &line.help;
  if (name == "--version") return &line.version;
  return nullptr;
}

}  // namespace

std::optional<CommandLine> ParseCommandLine(int argc, const char* const* argv, std::string& error) {
  CommandLine line;
  bool onlyOperands = false;
  for (int i = 1; i < argc; ++i) {
    std::string_view argument = argv[i];
    if (onlyOperands || argument.size() < 2 || argument[0] != '-') {
      if (line.command.empty()) {
        line.command = argument;
      } else {
        line.operands.emplace_back(argument);
      }
      continue;
    }
    if (argument == "--") {
      onlyOperands = true;
      continue;
    }
    std::string_view name = argument;
    std::optional<std::string_view> inlineValue;
    if (auto equals = argument.find('='); equals != argument.npos && argument.starts_with("--")) {
      name = argument.substr(0, equals);
      inlineValue = argument.substr(equals + 1);
    }
    std::optional<std::string> resource;
    auto* value = name == "--resource" ? &resource : ValueOption(line, name);
    if (value) {
      if (inlineValue) {
        *value = std::string(*inlineValue);
      } else if (i + 1 < argc) {
        *value = argv[++i];
      } else {
        error = "option " + std::string(name) + " needs a value";
        return std::nullopt;
      }
      if (resource) line.resources.push_back(std::move(*resource));
    } else if (auto* flag = SwitchOption(line, name); flag && !inlineValue) {
      *flag = true;
    } else {
      error = "unknown option " + std::string(argument);
      return std::nullopt;
    }
    line.optionsGiven.emplace_back(name);
  }
  return line;
}

}  // namespace kmjob
