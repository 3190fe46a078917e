// Starts the private print server with the standard queues before anything else (libcups
// reads CUPS_SERVER per thread), runs the tests, and stops the server whatever they did.

#include <gtest/gtest.h>
#include <wx/init.h>
#include <wx/log.h>

#include <cstdio>

#include "printing_server_env.h"

namespace printing_test {

namespace {
print_server::PrivatePrintServer* shared = nullptr;
}

print_server::PrivatePrintServer& SharedServer() {
  return *shared;
}

}  // namespace printing_test

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // Listing the tests needs no server.
  if (::testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
  wxSetAssertHandler([](const wxString& file, int line, const wxString& func, const wxString& cond,
                        const wxString& msg) {
    ADD_FAILURE_AT(file.utf8_string().c_str(), line)
        << "wx assertion in " << func.utf8_string() << ": " << cond.utf8_string() << " "
        << msg.utf8_string();
  });

  print_server::PrivatePrintServer server;
  print_server::ServerOptions options;
  options.queues = print_server::StandardQueues();
  options.keepRoot = getenv("KM_KEEP_PRINT_SERVER") != nullptr;
  std::string error;
  if (!server.Start(options, &error)) {
    std::fprintf(stderr, "cannot start the private print server: %s\n", error.c_str());
    return 1;
  }
  printing_test::shared = &server;
  const int result = RUN_ALL_TESTS();
  if (options.keepRoot)
    std::fprintf(stderr, "print server folder kept: %s\n", server.root().c_str());
  server.Stop();
  return result;
}
