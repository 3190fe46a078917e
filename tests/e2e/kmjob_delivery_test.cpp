// kmjob delivering its jobs: to one printer and to printer groups of a private print server,
// with the group commands that keep the groups in a settings file.

#include <cstdlib>

#include "e2e_fixture.h"
#include "private_print_server.h"

namespace e2e {
namespace {

using Strings = std::vector<std::string>;
using print_server::QueueDriver;

class KmjobDelivery : public E2eTest {
 protected:
  void SetUp() override {
    E2eTest::SetUp();
    settings_ = (root_ / "koramanage.ini").string();
    WriteFile(settings_,
              "useBuiltin=1\n[printer-groups]\nfleet=,km_sim,,km_gone,km_rejecting,\nempty=\n");
    print_server::ServerOptions options;
    options.queues = {{"km_sim", QueueDriver::kPostScript, {}, {}, true, true},
                      {"km_rejecting", QueueDriver::kPostScript, {}, {}, false, true}};
    options.printerProgram = KMSIM_PATH;
    std::string error;
    ASSERT_TRUE(server_.Start(options, &error)) << error;
    disk_ = server_.diskFolder("km_sim");
    // kmjob's own temporary files, apart from the print server's.
    fs::create_directories(root_ / "tmp");
    setenv("TMPDIR", (root_ / "tmp").c_str(), 1);
  }
  void TearDown() override {
    server_.Stop();
    unsetenv("TMPDIR");
    E2eTest::TearDown();
  }

  Outcome Run(std::vector<std::string> arguments) {
    arguments.push_back("--settings");
    arguments.push_back(settings_);
    return Kmjob(std::move(arguments));
  }
  bool TempFolderEmpty() const { return fs::is_empty(root_ / "tmp"); }

  print_server::PrivatePrintServer server_;
  std::string settings_;
};

TEST_F(KmjobDelivery, JobsReachOnePrinterAndLeaveNoTemporaryFile) {
  Outcome load =
      Run({"load-files", Local("logo.frm", "logo").string(), "--dest", "km_sim", "--status-page"});
  ASSERT_EQ(load.status, 0) << load.err;
  EXPECT_EQ(load.out, "[Load Legacy Files] completed successfully\n");
  ASSERT_TRUE(server_.WaitForJobs("km_sim", 1));
  EXPECT_EQ(DiskFiles(), Strings{"mtbc/formlib/logo.frm"});
  // The status page names the destination when no label was given.
  EXPECT_NE(ReadFile(server_.ReceivedJobs("km_sim").back()).find("(km_sim) true true load_file"),
            std::string::npos);
  EXPECT_TRUE(TempFolderEmpty());

  // --output keeps the job, and the printer receives exactly that file.
  const fs::path kept = root_ / "remove.ps";
  Outcome remove = Run({"remove-files", "mtbc/*", "--dest", "km_sim", "--output", kept.string()});
  ASSERT_EQ(remove.status, 0) << remove.err;
  ASSERT_TRUE(server_.WaitForJobs("km_sim", 2));
  EXPECT_TRUE(DiskFiles().empty());
  EXPECT_TRUE(ReadFile(server_.ReceivedJobs("km_sim").back()) == ReadFile(kept));

  const fs::path submission = Local("order.ps", "%!PS\nshowpage\n");
  Outcome sent = Run({"send", submission.string(), "--dest", "km_sim"});
  ASSERT_EQ(sent.status, 0) << sent.err;
  EXPECT_EQ(sent.out, "[Send Submission File] order.ps completed successfully\n");
  ASSERT_TRUE(server_.WaitForJobs("km_sim", 3));
  EXPECT_EQ(ReadFile(server_.ReceivedJobs("km_sim").back()), "%!PS\nshowpage\n");

  Outcome empty = Run({"send", Local("empty.ps", "").string(), "--dest", "km_sim"});
  EXPECT_EQ(empty.status, 2);
  EXPECT_NE(empty.err.find("KORAManage cannot send the job to the printer(s).\n\nkm_sim"),
            std::string::npos)
      << empty.err;

  // A generator failure delivers nothing.
  Outcome missing = Run({"load-files", (root_ / "none.frm").string(), "--dest", "km_sim"});
  EXPECT_EQ(missing.status, 3);
  EXPECT_TRUE(TempFolderEmpty());
}

TEST_F(KmjobDelivery, GroupsDeliverToEachMemberAndNameTheFailures) {
  Outcome listed = Run({"list-files", "--group", "fleet"});
  EXPECT_EQ(listed.status, 2);
  EXPECT_NE(listed.err.find("KORAManage cannot send the job to the printer(s).\n\n"
                            "km_gone\nkm_rejecting"),
            std::string::npos)
      << listed.err;
  ASSERT_TRUE(server_.WaitForJobs("km_sim", 1));
  EXPECT_NE(ReadFile(server_.ReceivedJobs("km_sim").back()).find("(mtb/*) (fleet) true false"),
            std::string::npos);
  EXPECT_TRUE(TempFolderEmpty());

  Outcome empty = Run({"list-files", "--dest", "\\\\\\empty"});
  EXPECT_EQ(empty.status, 2);
  EXPECT_NE(empty.err.find("The printer group contains no printer.\n\nempty"), std::string::npos);

  Outcome none = Run({"list-files", "--dest", "[No Printers Available]"});
  EXPECT_EQ(none.status, 0);
  EXPECT_EQ(none.out + none.err, "");

  Outcome printers = Run({"printers"});
  EXPECT_EQ(printers.status, 0);
  EXPECT_EQ(Lines(printers.out), (Strings{"km_rejecting", "km_sim", "\\\\\\fleet", "\\\\\\empty"}));
}

TEST_F(KmjobDelivery, GroupCommandsKeepTheSettingsFile) {
  EXPECT_EQ(Run({"group", "add", "night_shift"}).status, 0);
  EXPECT_EQ(Run({"group", "set", "night_shift", "km_sim", "km_sim"}).status, 0);
  Outcome refused = Run({"group", "add", "KM_SIM"});
  EXPECT_EQ(refused.status, 1);
  EXPECT_FALSE(refused.err.empty());
  EXPECT_EQ(Run({"group", "add", "bad name!"}).status, 1);
  EXPECT_EQ(Run({"group", "set", "nosuch", "km_sim"}).status, 1);
  EXPECT_EQ(Run({"group", "remove", "empty"}).status, 0);
  Outcome list = Run({"group", "list"});
  EXPECT_EQ(Lines(list.out),
            (Strings{"fleet: km_sim,km_gone,km_rejecting", "night_shift: km_sim"}));
  // The whole group receives the job, each printer once.
  ASSERT_EQ(Run({"list-files", "--group", "night_shift"}).status, 0);
  EXPECT_TRUE(server_.WaitForJobs("km_sim", 1));
  EXPECT_NE(ReadFile(settings_).find("useBuiltin=1"), std::string::npos);

  const std::string absent = (root_ / "absent.ini").string();
  Outcome noFile = Kmjob({"group", "add", "g1", "--settings", absent});
  EXPECT_EQ(noFile.status, 1);
  EXPECT_FALSE(fs::exists(absent));
  // Without a settings file, jobs still go to printers.
  EXPECT_EQ(Kmjob({"list-files", "--dest", "km_sim", "--settings", absent}).status, 0);
  EXPECT_EQ(Kmjob({"group", "list", "--settings", absent}).out, "");
}

}  // namespace
}  // namespace e2e
