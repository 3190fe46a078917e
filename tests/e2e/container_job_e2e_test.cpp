// Printable containers run on the simulated printer: the embedded interpreter, the resources
// defined in the stream or stored on the disk, and the submission file's page.

#include <memory>

#include "e2e_fixture.h"
#include "project_helpers.h"
#include "random_bytes.h"
#include "trm.h"

namespace e2e {
namespace {

class ContainerJobs : public E2eTest {
 protected:
  void SetUp() override {
    ASSERT_EQ(trmInitialize(), TRM_OK);
    project_ = tpsdk::TpsdkCreateProject(tree_.stubPath().c_str());
    ASSERT_TRUE(project_);
    project_->SetFolderProjectNames("F", "P");
    Add("page.ps", "sub",
        "%!PS\n/Helvetica findfont 24 scalefont setfont\n72 700 moveto (Container page) show\n"
        "showpage\n")
        .SetSubmissionOrder(1);
    ASSERT_EQ(project_->SaveProject() & 8, 0) << project_->GetMessages();
  }
  void TearDown() override { trmFinished(); }

  tpsdk::ProjectElement& Add(const char* name, const char* type, std::string_view bytes) {
    auto element = km_test::NewElement(tree_, name, type);
    WriteFile(element->GetLocalPath(), bytes);
    tpsdk::ProjectElement& added = *element;
    EXPECT_EQ(project_->AddElement(element) & 8, 0) << project_->GetMessages();
    return added;
  }
  // The container of the saved project with these flags, written to root/name.
  fs::path Container(const std::string& name, std::uint32_t flags) {
    EXPECT_EQ(project_->SaveProject() & 8, 0) << project_->GetMessages();
    trmPPS* pps = trmNewPPS();
    trmVOS* vos = trmNewVOS();
    trmPPSSetMode(pps, TRM_MODE_PROJECT_FILE);
    trmPPSSetProjectFile(pps, project_->GetProjectFilePath());
    trmPPSSetStubPath(pps, tree_.stubPath().c_str());
    trmSetFlags(pps, flags);
    const fs::path output = root_ / name;
    trmVOSSetOutputPath(vos, output.c_str());
    EXPECT_EQ(trmCreatePrintableContainer(pps, vos), TRM_OK) << trmGetLastMessage();
    trmFreePPS(pps);
    trmFreeVOS(vos);
    return output;
  }

  km_test::ProjectTree tree_{"e2e_container"};
  std::unique_ptr<tpsdk::Project> project_;
};

constexpr std::uint32_t kBuiltin = TRM_PPS_EMBED_KORA | TRM_PPS_USE_STUB;

TEST_F(ContainerJobs, EmbeddedInterpreterDefinesResourcesAndPrintsThePage) {
  const std::string image = km_test::RandomBytes(100000, 11);
  Add("logo.frm", "frm", "{ (form) pop }");
  Add("pic.jpg", "img", image);
  Add("rows.dat", "dat", "a;b\nc;d");
  Add("accent.mis", "mis", "caf\xE9");
  // ASCII85, hexadecimal, and resident (interpreter and resources kept in printer memory).
  for (std::uint32_t extra : {0u, TRM_FLAG_HEX, TRM_PPS_RESIDENT}) {
    SCOPED_TRACE(extra);
    const std::string name = std::to_string(extra);
    const fs::path job = Container(name + ".ps", kBuiltin | TRM_PPS_INCLUDE_RESOURCES | extra);
    const fs::path pages = root_ / (name + "-pages");
    const ProcessResult run =
        Kmsim({"--pages", pages.string(), "--page-format", "text", job.string()});
    EXPECT_EQ(Report(run, "verdict"), Strings{"ok"}) << run.err;
    const Strings printed = Report(run, "page");
    ASSERT_EQ(printed.size(), 1u) << run.err;
    EXPECT_NE(ReadFile(printed[0]).find("Container page"), std::string::npos);
    for (const char* line :
         {"| %%[ KORA resource logo.frm - ]%%", "| %%[ KORA resource pic.jpg 100000 ]%%",
          "| %%[ KORA resource rows.dat 7 ]%%", "| %%[ KORA resource accent.mis 4 ]%%",
          "| %%[ KORA resource courier - ]%%"}) {
      EXPECT_NE(run.err.find(line), std::string::npos) << line << "\n" << run.err;
    }
    EXPECT_EQ(DiskFiles(), Strings{});
  }
}

TEST_F(ContainerJobs, DeployedResourcesLandOnTheDiskUnchanged) {
  const std::string image = km_test::RandomBytes(70000, 12);
  Add("pic.jpg", "img", image);
  Add("logo.frm", "frm", "{ (form) pop }");
  const ProcessResult run =
      Kmsim({"--pages", (root_ / "pages").string(), "--page-format", "text",
             Container("deploy.ps", kBuiltin | TRM_PPS_DEPLOY_RESOURCES).string()});
  EXPECT_EQ(Report(run, "verdict"), Strings{"ok"}) << run.err;
  EXPECT_EQ(DiskFiles(), (Strings{"mtbc/F/P/logo.frm", "mtbc/F/P/pic.jpg"}));
  EXPECT_TRUE(ReadFile(disk_ / "mtbc/F/P/pic.jpg") == image);
  EXPECT_EQ(ReadFile(disk_ / "mtbc/F/P/logo.frm"), "{ (form) pop }");
  EXPECT_EQ(Report(run, "page").size(), 1u) << run.err;
}

}  // namespace
}  // namespace e2e
