// kmjob: writes KORA printer jobs from the command line.

#include <array>
#include <cstdio>
#include <string_view>

#include "command_line.h"
#include "container_commands.h"
#include "interpreter_commands.h"
#include "job_commands.h"
#include "printer_commands.h"
#include "printing/job_delivery.h"
#include "project_commands.h"
#include "project_job_commands.h"
#include "trm.h"

namespace {

constexpr int kUsageError = 64;

struct Command {
  std::string_view name;
  std::string_view synopsis;
  int (*run)(const kmjob::CommandLine&);
};

constexpr std::array kCommands{
    Command{"list-files", "list-files [--pattern P]", kmjob::ListFilesCommand},
    Command{"load-files", "load-files LOCAL[=PRINTERNAME]... [--keep-existing]",
            kmjob::LoadFilesCommand},
    Command{"remove-files", "remove-files NAME... | --all", kmjob::RemoveFilesCommand},
    Command{"load-fonts", "load-fonts FONTFILE...", kmjob::LoadFontsCommand},
    Command{"printers", "printers", kmjob::PrintersCommand},
    Command{"send", "send FILE --dest NAME", kmjob::SendCommand},
    Command{"group", "group add NAME | set NAME PRINTER... | remove NAME | list",
            kmjob::GroupCommand},
    Command{"project-info", "project-info PROJECT.tpf [--stub FILE | --kora DIR]",
            kmjob::ProjectInfoCommand},
    Command{"tpc", "tpc create PROJECT.tpf OUTPUT.tpc [--tar [--volume-blocks N]]",
            kmjob::TpcCommand},
    Command{"tpc", "tpc extract CONTAINER.tpc [--print-and-forget] [--keep-existing]",
            kmjob::TpcCommand},
    Command{"tpc", "tpc check CONTAINER.tpc", kmjob::TpcCommand},
    Command{"install",
            "install [--builtin | --local DIR] [--auto-start [--resident]]\n"
            "          [--error-handler] [--lmi]",
            kmjob::InstallCommand},
    Command{"uninstall", "uninstall [--interpreter] [--resources]", kmjob::UninstallCommand},
    Command{"startup", "startup [--resident]", kmjob::StartupCommand},
    Command{"load-project",
            "load-project PROJECT [--resource NAME]... [--skip-folder-shared]\n"
            "          [--skip-global-shared] [--keep-existing]",
            kmjob::LoadProjectCommand},
    Command{"remove-project",
            "remove-project FOLDER PROJECT [--keep-folder-shared] [--keep-global-shared]",
            kmjob::RemoveProjectCommand},
    Command{"list-project", "list-project FOLDER PROJECT", kmjob::ListProjectCommand},
    Command{"resources",
            "resources PROJECT [--resource NAME]... [--skip-folder-shared]\n"
            "          [--skip-global-shared]",
            kmjob::ResourcesCommand},
    Command{"send-container",
            "send-container PROJECT [--submission NAME | --external FILE] [--pages FIRST-LAST]\n"
            "          [--embed] [--include | --deploy [--keep-existing]] [--skip-folder-shared]\n"
            "          [--skip-global-shared] [--resident] [--lmi]",
            kmjob::SendContainerCommand},
};

void PrintHelp(std::FILE* out) {
  std::fprintf(out, "Usage: kmjob COMMAND [OPERANDS] [OPTIONS]\n\nCommands:\n");
  for (const Command& command : kCommands) {
    std::fprintf(out, "  kmjob %.*s\n", static_cast<int>(command.synopsis.size()),
                 command.synopsis.data());
  }
  std::fprintf(out,
               "\nOptions:\n"
               "  --dest NAME      deliver the job to this printer, or to a group written\n"
               "                   behind the group prefix (three backslashes)\n"
               "  --group NAME     deliver the job to every printer of this group\n"
               "  --settings FILE  use this settings file instead of the standard one\n"
               "  --output FILE    write the job file there (kept after delivery)\n"
               "  --overwrite      replace an existing job file at --output\n"
               "  --label TEXT     printer name shown on the status page\n"
               "  --status-page    make the printer print a status page\n"
               "  --hex            embed file data as hexadecimal instead of ASCII85\n"
               "  --keep-existing  keep files already on the printer (load-files, load-project,\n"
               "                   send-container --deploy), or resource files already on disk\n"
               "                   (tpc extract)\n"
               "  --all            remove every file on the printer, the interpreter too\n"
               "                   (remove-files; names such as \"\" or \"*\" need it)\n"
               "  --stub FILE      the built-in interpreter with this stub file, which defines a\n"
               "                   project's resource folders\n"
               "  --kora DIR       an interpreter installation: its src/mtbdos.run is the stub\n"
               "                   (without either, the interpreter chosen in the settings\n"
               "                   file: useBuiltin with koraStub, or koraCore; includeLMI)\n"
               "  --tar            write a tar container instead of zip (tpc create)\n"
               "  --volume-blocks N  split the tar container into volumes of N blocks of 10 KiB,\n"
               "                   named BASE_000001_00000K.tpv beside OUTPUT (tpc create)\n"
               "  --print-and-forget  extract into the stub file's Print-and-Forget folder\n"
               "                   (tpc extract)\n"
               "\nInterpreter jobs:\n"
               "  --builtin        install the built-in interpreter image (also --stub FILE)\n"
               "  --local DIR      install from this installation (also --kora DIR)\n"
               "  --auto-start     the printer starts the interpreter when it starts\n"
               "  --resident       keep the interpreter in printer memory (install with\n"
               "                   --auto-start, startup); send-container: keep the embedded\n"
               "                   interpreter or included resources there\n"
               "  --error-handler  also store a PostScript error handler\n"
               "  --lmi            with the built-in image, also the Lumen Imaging module\n"
               "  --interpreter, --resources  uninstall only the interpreter (mtb/*), only the\n"
               "                   resource files (mtbc/*); neither: both\n"
               "\nProject jobs (PROJECT is a project file, or a container ending in .tpc or\n"
               ".tpv):\n"
               "  --resource NAME  load only this resource or pattern (repeatable; none: all)\n"
               "  --skip-folder-shared, --skip-global-shared  leave out shared resources\n"
               "  --keep-folder-shared, --keep-global-shared  remove-project: keep the shared\n"
               "                   files on the printer\n"
               "  --submission NAME  the project's submission file to print (default: the\n"
               "                   project's own choice)\n"
               "  --external FILE  print this file instead of a project resource\n"
               "  --pages FIRST-LAST  print only these pages\n"
               "  --embed          carry the interpreter in the print job\n"
               "  --include        carry the resources in the print job, for this job only\n"
               "  --deploy         store the resources on the printer before printing\n"
               "\n  --help, --version\n"
               "\nPrinter names derive from local paths when not given: a library folder in the\n"
               "path (formlib, imglib, jdtlib, encoding, mislib, decomp, demo, fontlib) or the\n"
               "file's extension decides where the file goes on the printer.\n"
               "\nThe print server is given %d s to accept the connection and %d s for each\n"
               "answer; when one runs out it counts as unreachable (\"cannot reach the print\n"
               "server\").\n"
               "\nExit status: 0 on success; 64 for a usage error; 2 when a printer did not\n"
               "receive the job (the failure on standard error) or kmjob printers could not\n"
               "ask the print server; 1 when a group command failed, project-info or a tpc\n"
               "command found an error in the project or container, or no interpreter is\n"
               "chosen; otherwise the job\n"
               "generator's status code less 1000 (1017 gives 17), with its message on\n"
               "standard error.\n",
               printing::kConnectTimeoutMs / 1000, printing::kResponseTimeoutSeconds);
}

}  // namespace

int main(int argc, char** argv) {
  std::string error;
  auto line = kmjob::ParseCommandLine(argc, argv, error);
  if (!line) {
    std::fprintf(stderr, "kmjob: %s (try kmjob --help)\n", error.c_str());
    return kUsageError;
  }
  if (line->help) {
    PrintHelp(stdout);
    return 0;
  }
  if (line->version) {
    std::printf("kmjob (KORAManage) 0.1.0, %s\n", trmGetVersion());
    return 0;
  }
  for (const Command& command : kCommands) {
    if (command.name == line->command) return command.run(*line);
  }
  if (line->command.empty()) {
    PrintHelp(stderr);
  } else {
    std::fprintf(stderr, "kmjob: unknown command %s (try kmjob --help)\n", line->command.c_str());
  }
  return kUsageError;
}
