#pragma once
// Texts the interpreter jobs store on the printer and the printable container embeds.
#include <string>
#include <string_view>
#include <vector>

namespace trm {

// The PostScript error handler stored as mtb/errorh.ps.
std::string_view ErrorHandlerText();

// The SETFPATH to SETPPATH statements of the run file, with their folders and comments.
std::string PathSettingsText();

// The run file mtb/src/mtbdep.run. `modules` are the files a local installation's run file
// runs (their base names are used; the prolog is left out); null gives the built-in module
// list, with the Lumen Imaging module last when `lumen` is set.
std::string RunFileText(const std::vector<std::string>* modules, bool lumen);

// The DEP entry file mtb/src/mtbdep: the local installation's own (its "src/mtbdos") adapted,
// when `installationFolder` is not empty and that file names a run command; otherwise the
// generated entry points.
std::string DepEntryFileText(const std::string& installationFolder);

// The modules of the built-in image, in the order the run file and the container run them.
struct InterpreterModule {
  std::string_view file;         // under mtb/src/
  std::string_view description;  // the run file's comment
};
const std::vector<InterpreterModule>& BuiltinModules();
inline constexpr InterpreterModule kLumenModule{"kora.lmi", "Lumen imaging resources"};

}  // namespace trm
