#pragma once
// GUI tests that need printers run in a test program whose main starts a private print
// server with the standard queues before wx starts; this is that server.

#include "private_print_server.h"

namespace km_test {

print_server::PrivatePrintServer& GuiPrintServer();

}  // namespace km_test
