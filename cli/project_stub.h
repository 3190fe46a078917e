#pragma once
// The interpreter a command works with, and the project model of a project command with the
// resource folders of that interpreter's stub file.

#include <memory>
#include <optional>
#include <string>

#include "command_line.h"
#include "tpsdk/project.h"

namespace kmjob {

// The built-in interpreter image with its stub file, or a local interpreter installation.
struct InterpreterChoice {
  bool builtin = false;
  std::string stubPath;  // built-in: the stub file; may be empty when only installing
  std::string koraDir;   // local: the installation folder
  bool includeLMI = false;
  bool fromSettings = false;

  // The file whose SETPPATH lists the resource folders: the stub file, or the
  // installation's src/mtbdos.run. Empty when neither is known.
  std::string RunFile() const;
};

// --stub FILE (the built-in image with that stub file), --kora DIR (that installation), or
// else the interpreter chosen in the settings file (useBuiltin, koraStub, koraCore,
// includeLMI). Nothing when the settings file chooses none.
std::optional<InterpreterChoice> ChooseInterpreter(const CommandLine& line);

// As ChooseInterpreter for commands that find a project's resources: nothing, with the reason
// on standard error, unless the choice names a run file.
std::optional<InterpreterChoice> ChooseInterpreterWithRunFile(const CommandLine& line);

// A project that has read the run file of ChooseInterpreterWithRunFile. Null when there is
// none or it does not exist; then the reason is on standard error.
std::unique_ptr<tpsdk::Project> CreateProjectFor(const CommandLine& line);

}  // namespace kmjob
