// A GUI application is started once for the whole run, on a private X display unless one is
// given; while gtest only lists the tests (at build time, without a display) wx stays off.
#include <gtest/gtest.h>
#include <signal.h>
#include <wx/app.h>
#include <wx/init.h>
#include <wx/log.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "running_program.h"

#ifdef KM_GUI_PRINT_SERVER
#include "private_print_server.h"
#endif

namespace {

void FailOnAssert(const wxString& file, int line, const wxString& func, const wxString& cond,
                  const wxString& msg) {
  ADD_FAILURE() << "wx assert " << cond << " in " << func << " (" << file << ":" << line
                << "): " << msg;
}

}  // namespace

// Fontconfig keeps its font cache for the life of the process; its stacks end inside it.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libfontconfig.so\n";
}

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();

  // Without these GTK starts accessibility and dbus daemons that outlive the run.
  setenv("NO_AT_BRIDGE", "1", 1);
  setenv("GDK_BACKEND", "x11", 1);
  std::unique_ptr<km_test::RunningProgram> xvfb;
  const char* given = std::getenv("DISPLAY");
  if (!given || !*given) {
    // The server picks a free display and prints its number once it accepts connections.
    xvfb = std::make_unique<km_test::RunningProgram>(
        "Xvfb", std::vector<std::string>{"-displayfd", "1", "-nolisten", "tcp", "-screen", "0",
                                         "1280x1024x24"});
    const std::string number = xvfb->NextLine(30000);
    if (number.empty()) return 1;
    setenv("DISPLAY", (":" + number).c_str(), 1);
  }

#ifdef KM_GUI_PRINT_SERVER
  // Before wx starts any thread: libcups reads CUPS_SERVER per thread.
  print_server::PrivatePrintServer server;
  print_server::ServerOptions options;
  options.queues = print_server::StandardQueues();
  std::string error;
  if (!server.Start(options, &error)) {
    std::fprintf(stderr, "cannot start the private print server: %s\n", error.c_str());
    return 1;
  }
#endif

  wxApp::SetInstance(new wxApp);
  if (!wxEntryStart(argc, argv)) return 1;
  wxSetAssertHandler(FailOnAssert);
  delete wxLog::SetActiveTarget(new wxLogStderr);
  const int result = RUN_ALL_TESTS();
  wxEntryCleanup();
  if (xvfb) xvfb->Stop(SIGTERM);  // lets it remove its lock file
  return result;
}
