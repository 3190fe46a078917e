// A print server with more PostScript printers than the list holds.

#include <gtest/gtest.h>

#include <cstdio>

#include "printing/printer_list.h"
#include "printing_server_env.h"

namespace {

std::string Seeded(int n) {
  char name[32];
  std::snprintf(name, sizeof name, "km_seed_%04d", n);
  return name;
}

TEST(PrinterLimit, The1025thPrinterAndLaterAreNotListed) {
  print_server::PrivatePrintServer server;
  print_server::ServerOptions options;
  options.seededRawQueues = 1030;
  // Raw queues whose description passes the name test are PostScript printers.
  options.seededDescription = "Generic PS Driver";
  std::string error;
  ASSERT_TRUE(server.Start(options, &error)) << error;

  std::vector<printing::PrinterRecord> all;
  ASSERT_TRUE(printing::EnumeratePrinters(all, &error)) << error;
  ASSERT_EQ(all.size(), 1030u);

  const std::vector<std::string> listed = printing::ListPostScriptPrinters(&error);
  EXPECT_EQ(error, "");
  ASSERT_EQ(listed.size(), printing::MAX_PRINTERS);
  EXPECT_EQ(listed.front(), Seeded(1));
  EXPECT_EQ(listed.back(), Seeded(1024));
  EXPECT_TRUE(printing::IsInstalledPrinter(Seeded(1024)));
  EXPECT_FALSE(printing::IsInstalledPrinter(Seeded(1025)));
  // A printer named as the destination passes the same test.
  EXPECT_EQ(printing::NotListedReason(Seeded(1024)), "");
  EXPECT_EQ(printing::NotListedReason(Seeded(1025)),
            "beyond the first 1024 PostScript printers, which are all that are offered");
  server.Stop();
}

}  // namespace
