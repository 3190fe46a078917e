#include "stub_editor.h"

#include <wx/cmdline.h>
#include <wx/filefn.h>
#include <wx/utils.h>

#include <vector>

namespace app {
namespace {

wxString Environment(const char* name) {
  wxString value;
  wxGetEnv(name, &value);
  value.Trim().Trim(false);
  return value;
}

wxString FindInPath(const wxString& program) {
  wxPathList path;
  path.AddEnvList("PATH");
  return path.FindAbsoluteValidPath(program);
}

bool Start(const wxArrayString& command) {
  if (command.empty()) return false;
  std::vector<const wchar_t*> argv;
  for (const wxString& part : command) argv.push_back(part.wc_str());
  argv.push_back(nullptr);
  return wxExecute(argv.data(), wxEXEC_ASYNC) > 0;
}

}  // namespace

bool StartStubEditor(const std::string& path) {
  const wxString file = wxString::FromUTF8(path);
  // The variables may carry options ("gvim -f"), so they are split like a command line.
  if (const wxString visual = Environment("VISUAL"); !visual.empty()) {
    wxArrayString command = wxCmdLineParser::ConvertStringToArgs(visual);
    command.Add(file);
    return Start(command);
  }
  const wxString editor = Environment("EDITOR");
  const wxString terminal = FindInPath("x-terminal-emulator");
  if (!editor.empty() && !terminal.empty()) {
    wxArrayString command;
    command.Add(terminal);
    command.Add("-e");
    for (const wxString& part : wxCmdLineParser::ConvertStringToArgs(editor)) command.Add(part);
    command.Add(file);
    return Start(command);
  }
  const wxString opener = FindInPath("xdg-open");
  if (opener.empty()) return false;
  wxArrayString command;
  command.Add(opener);
  command.Add(file);
  return Start(command);
}

}  // namespace app
