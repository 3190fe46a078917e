// kmjob delivering its jobs: to one printer and to printer groups of a private print server,
// with the group commands that keep the groups in a settings file.

#include <optional>

#include "e2e_fixture.h"
#include "env_override.h"
#include "private_print_server.h"

namespace e2e {
namespace {

using print_server::QueueDriver;

class KmjobDelivery : public E2eTest {
 protected:
  void SetUp() override {
    print_server::ServerOptions options;
    options.queues = {{"km_sim", QueueDriver::kPostScript, {}, {}, true, true},
                      {"km_rejecting", QueueDriver::kPostScript, {}, {}, false, true}};
    options.printerProgram = KMSIM_PATH;
    std::string error;
    ASSERT_TRUE(server_.Start(options, &error)) << error;
    disk_ = server_.diskFolder("km_sim");
    // kmjob's own temporary files, apart from the print server's.
    fs::create_directories(root_ / "tmp");
    tmp_.emplace("TMPDIR", (root_ / "tmp").string());
  }

  ProcessResult Run(Strings arguments) const {
    arguments.insert(arguments.end(), {"--settings", settings_});
    return Kmjob(arguments);
  }
  bool TempFolderEmpty() const { return fs::is_empty(root_ / "tmp"); }

  const std::string settings_ =
      root_
          .File("koramanage.ini",
                "useBuiltin=1\n[printer-groups]\nfleet=,km_sim,,km_gone,km_rejecting,\nempty=\n")
          .string();
  print_server::PrivatePrintServer server_;
  std::optional<km_test::EnvOverride> tmp_;
};

TEST_F(KmjobDelivery, JobsReachOnePrinterAndLeaveNoTemporaryFile) {
  const ProcessResult load =
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
  const ProcessResult remove =
      Run({"remove-files", "mtbc/*", "--dest", "km_sim", "--output", kept.string()});
  ASSERT_EQ(remove.status, 0) << remove.err;
  ASSERT_TRUE(server_.WaitForJobs("km_sim", 2));
  EXPECT_TRUE(DiskFiles().empty());
  EXPECT_TRUE(ReadFile(server_.ReceivedJobs("km_sim").back()) == ReadFile(kept));

  const fs::path submission = Local("order.ps", "%!PS\nshowpage\n");
  const ProcessResult sent = Run({"send", submission.string(), "--dest", "km_sim"});
  ASSERT_EQ(sent.status, 0) << sent.err;
  EXPECT_EQ(sent.out, "[Send Submission File] order.ps completed successfully\n");
  ASSERT_TRUE(server_.WaitForJobs("km_sim", 3));
  EXPECT_EQ(ReadFile(server_.ReceivedJobs("km_sim").back()), "%!PS\nshowpage\n");

  const ProcessResult empty = Run({"send", Local("empty.ps", "").string(), "--dest", "km_sim"});
  EXPECT_EQ(empty.status, 2);
  EXPECT_NE(empty.err.find("KORAManage cannot send the job to the printer(s).\n\nkm_sim"),
            std::string::npos)
      << empty.err;

  // A generator failure delivers nothing.
  const ProcessResult missing =
      Run({"load-files", (root_ / "none.frm").string(), "--dest", "km_sim"});
  EXPECT_EQ(missing.status, 3);
  EXPECT_TRUE(TempFolderEmpty());
}

TEST_F(KmjobDelivery, GroupsDeliverToEachMemberAndNameTheFailures) {
  const ProcessResult listed = Run({"list-files", "--group", "fleet"});
  EXPECT_EQ(listed.status, 2);
  EXPECT_NE(listed.err.find("KORAManage cannot send the job to the printer(s).\n\n"
                            "km_gone\nkm_rejecting"),
            std::string::npos)
      << listed.err;
  ASSERT_TRUE(server_.WaitForJobs("km_sim", 1));
  EXPECT_NE(ReadFile(server_.ReceivedJobs("km_sim").back()).find("(mtb/*) (fleet) true false"),
            std::string::npos);
  EXPECT_TRUE(TempFolderEmpty());
  // Nothing to deliver is no failure.
  const ProcessResult none = Run({"list-files", "--dest", "[No Printers Available]"});
  EXPECT_EQ(none.status, 0);
  EXPECT_EQ(none.out + none.err, "");

  const ProcessResult printers = Run({"printers"});
  EXPECT_EQ(printers.status, 0);
  EXPECT_EQ(Lines(printers.out), (Strings{"km_rejecting", "km_sim", "\\\\\\fleet", "\\\\\\empty"}));
}

TEST_F(KmjobDelivery, GroupCommandsKeepTheSettingsFile) {
  EXPECT_EQ(Run({"group", "add", "night_shift"}).status, 0);
  EXPECT_EQ(Run({"group", "set", "night_shift", "km_sim", "km_sim"}).status, 0);
  EXPECT_EQ(Run({"group", "add", "KM_SIM"}).status, 1);  // a printer's name
  EXPECT_EQ(Run({"group", "set", "nosuch", "km_sim"}).status, 1);
  EXPECT_EQ(Run({"group", "remove", "empty"}).status, 0);
  const ProcessResult list = Run({"group", "list"});
  EXPECT_EQ(Lines(list.out),
            (Strings{"fleet: km_sim,km_gone,km_rejecting", "night_shift: km_sim"}));
  EXPECT_NE(ReadFile(settings_).find("useBuiltin=1"), std::string::npos);

  const std::string absent = (root_ / "absent.ini").string();
  const ProcessResult noFile = Kmjob({"group", "add", "g1", "--settings", absent});
  EXPECT_EQ(noFile.status, 1);
  EXPECT_FALSE(fs::exists(absent));
  // Without a settings file, jobs still go to printers.
  EXPECT_EQ(Kmjob({"list-files", "--dest", "km_sim", "--settings", absent}).status, 0);
  EXPECT_EQ(Kmjob({"group", "list", "--settings", absent}).out, "");
}

}  // namespace
}  // namespace e2e
