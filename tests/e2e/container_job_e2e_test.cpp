// Printable containers run on the simulated printer: the embedded interpreter, the resources
// defined in the stream or stored on the disk, and the submission file's page.

#include "e2e_fixture.h"
#include "project_helpers.h"
#include "random_bytes.h"

namespace e2e {
namespace {

class ContainerJobs : public GeneratorE2eTest {
 protected:
  void Add(const char* name, const char* type, std::string_view bytes, int submission = 0) {
    auto element = km_test::NewElement(tree_, name, type);
    WriteFile(element->GetLocalPath(), bytes);
    element->SetSubmissionOrder(submission);
    EXPECT_EQ(project_->AddElement(element) & 8, 0) << project_->GetMessages();
  }
  // The container of the saved project with these flags, written to root/name.
  fs::path Container(const std::string& name, std::uint32_t flags) {
    EXPECT_EQ(project_->SaveProject() & 8, 0) << project_->GetMessages();
    std::unique_ptr<trmPPS, int (*)(trmPPS*)> pps(trmNewPPS(), &trmFreePPS);
    trmPPSSetMode(pps.get(), TRM_MODE_PROJECT_FILE);
    trmPPSSetProjectFile(pps.get(), project_->GetProjectFilePath());
    trmPPSSetStubPath(pps.get(), tree_.stubPath().c_str());
    trmSetFlags(pps.get(), flags);
    return Generate(trmCreatePrintableContainer, pps.get(), name);
  }

  km_test::ProjectTree tree_{"e2e_container"};
  std::unique_ptr<tpsdk::Project> project_ = tpsdk::TpsdkCreateProject(tree_.stubPath().c_str());
};

TEST_F(ContainerJobs, EmbeddedInterpreterDefinesOrStoresResourcesAndPrintsThePage) {
  ASSERT_TRUE(project_);
  project_->SetFolderProjectNames("F", "P");
  Add("page.ps", "sub",
      "%!PS\n/Helvetica 24 selectfont 72 700 moveto (Container page) show showpage\n", 1);
  const std::map<std::string, std::string> resources = {
      {"logo.frm", "{ (form) pop }"},
      {"pic.jpg", km_test::RandomBytes(100000, 11)},
      {"rows.dat", "a;b\nc;d"},
      {"accent.mis", "caf\xE9"}};
  std::map<std::string, std::string> deployed;
  for (const auto& [name, bytes] : resources) {
    const std::string type = name.substr(name.size() - 3);
    Add(name.c_str(), type == "jpg" ? "img" : type.c_str(), bytes);
    deployed["mtbc/F/P/" + name] = bytes;
  }
  const std::uint32_t builtin = TRM_PPS_EMBED_KORA | TRM_PPS_USE_STUB;
  const std::uint32_t include = builtin | TRM_PPS_INCLUDE_RESOURCES;
  // ASCII85, hexadecimal, resident (interpreter and resources kept in printer memory): defined
  // in the stream, with their lengths; deployed: stored on the disk.
  for (const auto& [flags, disk] : {std::pair{include, std::map<std::string, std::string>{}},
                                    {include | TRM_FLAG_HEX, {}},
                                    {include | TRM_PPS_RESIDENT, {}},
                                    {builtin | TRM_PPS_DEPLOY_RESOURCES, deployed}}) {
    SCOPED_TRACE(flags);
    fs::remove_all(disk_);
    std::string page;
    const ProcessResult run = RunJob(Container(std::to_string(flags) + ".ps", flags), &page);
    EXPECT_NE(page.find("Container page"), page.npos) << page;
    ExpectDisk(disk);
    if (!disk.empty()) continue;
    for (const char* line :
         {"| %%[ KORA resource logo.frm - ]%%", "| %%[ KORA resource pic.jpg 100000 ]%%",
          "| %%[ KORA resource rows.dat 7 ]%%", "| %%[ KORA resource accent.mis 4 ]%%",
          "| %%[ KORA resource courier - ]%%"}) {
      EXPECT_NE(run.err.find(line), run.err.npos) << line << "\n" << run.err;
    }
  }
}

}  // namespace
}  // namespace e2e
