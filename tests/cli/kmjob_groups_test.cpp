// kmjob's printer-group commands and printer list: how refusals, a settings file that cannot
// be written and a print server that cannot be reached end the program. The naming and
// member rules themselves are proven in tests/settings, repeated members in tests/e2e.

#include <gmock/gmock.h>

#include "kmjob_fixture.h"

namespace {

using ::testing::HasSubstr;
using KmjobGroups = kmjob_test::KmjobTest;

constexpr char kInstalled[] =
    "kmRootDir=/opt/kora\nlastPrinter=p9\n[general]\nkmRootDir=/root\n[printer-groups]\n"
    "night=p1\n";

TEST_F(KmjobGroups, RefusalsChangeNothingAndEndWithStatusOne) {
  const std::string settings = File("koramanage.ini", kInstalled);
  const std::string rule =
      "Printer group name may only contain underscore, and alphanumeric characters.";
  const std::string characters = "kmjob: " + rule + "\n";
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{"group", "set", "../lastPrinter", "evil"}, characters},
      {{"group", "remove", "a\nlastPrinter"}, characters},
      {{"group", "set", std::string(33, 'n')},
       "kmjob: Please limit the printer group name to at most 32 characters.\n"},
      // Nothing can be written: a full disk, which holds for root too.
      {{"group", "add", "day"},
       "kmjob: cannot write the settings file " + settings + ": File too large\n"},
  };
  for (auto [arguments, message] : cases) {
    arguments.insert(arguments.end(), {"--settings", settings});
    const auto refused = Kmjob(arguments, 16);
    EXPECT_EQ(refused.status, 1) << arguments[2];
    EXPECT_THAT(refused.err, HasSubstr(message));
    EXPECT_EQ(km_test::ReadFile(settings), kInstalled);
    // No temporary file was left beside the settings.
    EXPECT_EQ(km_test::FolderEntries(dir_.path()), std::vector<std::string>{"koramanage.ini"});
  }
  const auto delivered = Kmjob({"list-files", "--group", "../lastPrinter", "--settings", settings});
  EXPECT_EQ(delivered.status, 2);
  EXPECT_THAT(delivered.err, HasSubstr(rule + "\n\n../lastPrinter\n"));
}

TEST_F(KmjobGroups, PrintersWithoutTheServerIsAnError) {
  const auto printers = Kmjob({"printers", "--settings", File("koramanage.ini", kInstalled)});
  EXPECT_EQ(printers.status, 2);
  EXPECT_EQ(printers.out, "");
  EXPECT_THAT(printers.err, HasSubstr("kmjob: cannot reach the print server"));
}

}  // namespace
