// kmjob's printer-group commands and printer list: names that break the rules, members that do
// not fit, settings that cannot be written and a print server that cannot be reached.

#include <gmock/gmock.h>

#include <cstdio>
#include <iterator>

#include "kmjob_runner.h"

namespace {

using kmjob_test::Outcome;
using kmjob_test::Slurp;
using ::testing::HasSubstr;
namespace fs = std::filesystem;

constexpr char kInstalled[] =
    "kmRootDir=/opt/kora\nlastPrinter=p9\n[general]\nkmRootDir=/root\n[printer-groups]\n"
    "night=p1\n";

class KmjobGroups : public kmjob_test::KmjobTestBase {
 protected:
  void SetUp() override {
    KmjobTestBase::SetUp();
    settings_ = File("koramanage.ini", kInstalled);
  }

  std::string Settings() const { return Slurp(settings_); }

  std::string settings_;
};

TEST_F(KmjobGroups, NamesOutsideTheRulesChangeNothing) {
  const std::string characters =
      "kmjob: Printer group name may only contain underscore, and alphanumeric characters.\n";
  for (const std::string name : {"../general/kmRootDir", "../lastPrinter", "/lastPrinter",
                                 "night/x", "a=b", "[general]", "a\nlastPrinter"}) {
    Outcome set = Kmjob({"group", "set", name, "evil", "--settings", settings_});
    EXPECT_EQ(set.status, 1) << name;
    EXPECT_EQ(set.err, characters) << name;
    Outcome removed = Kmjob({"group", "remove", name, "--settings", settings_});
    EXPECT_EQ(removed.status, 1) << name;
    EXPECT_EQ(removed.err, characters) << name;
  }
  Outcome tooLong = Kmjob({"group", "set", std::string(33, 'n'), "--settings", settings_});
  EXPECT_EQ(tooLong.status, 1);
  EXPECT_EQ(tooLong.err, "kmjob: Please limit the printer group name to at most 32 characters.\n");
  EXPECT_EQ(Settings(), kInstalled);

  Outcome delivered = Kmjob({"list-files", "--group", "../lastPrinter", "--settings", settings_});
  EXPECT_EQ(delivered.status, 2);
  EXPECT_THAT(delivered.err, HasSubstr("may only contain underscore, and alphanumeric "
                                       "characters.\n\n../lastPrinter\n"));
}

TEST_F(KmjobGroups, MembersAreStoredWholeOnceEachOrRefused) {
  std::vector<std::string> arguments{"group", "set", "night"};
  for (int i = 0; i < 400; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "printer_%09d", i);
    arguments.push_back(name);
  }
  arguments.insert(arguments.end(), {"--settings", settings_});
  Outcome many = Kmjob(arguments);
  EXPECT_EQ(many.status, 1);
  EXPECT_THAT(many.err, HasSubstr("kmjob: The printer group night cannot hold all 400 printers"));
  EXPECT_EQ(Settings(), kInstalled);

  Outcome repeats = Kmjob({"group", "set", "night", "p1", "P1", "p1", "--settings", settings_});
  EXPECT_EQ(repeats.status, 0) << repeats.err;
  EXPECT_EQ(Kmjob({"group", "list", "--settings", settings_}).out, "night: p1\n");
}

TEST_F(KmjobGroups, SettingsThatCannotBeWrittenFailNamingTheFile) {
  Outcome added = Kmjob({"group", "add", "day", "--settings", settings_}, 16);
  EXPECT_EQ(added.status, 1);
  EXPECT_THAT(added.err, HasSubstr("kmjob: cannot write the settings file " + settings_ +
                                   ": File too large\n"));
  EXPECT_EQ(Settings(), kInstalled);
  // Only the settings file and the captured output are there: no temporary file was left.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);
}

TEST_F(KmjobGroups, PrintersWithoutTheServerIsAnErrorAndHelpGivesTheLimits) {
  Outcome printers = Kmjob({"printers", "--settings", settings_});
  EXPECT_EQ(printers.status, 2);
  EXPECT_EQ(printers.out, "");
  EXPECT_THAT(printers.err, HasSubstr("kmjob: cannot reach the print server"));
  Outcome help = Kmjob({"--help"});
  EXPECT_THAT(help.out, HasSubstr("The print server is given 5 s to accept the connection and "
                                  "15 s for each\nanswer"));
}

}  // namespace
