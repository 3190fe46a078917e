#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "file_io.h"
#include "project_tree.h"
#include "tpsdk/message_catalogue.h"
#include "tpsdk/tpsdk.h"

namespace tpsdk {
namespace {

namespace fs = std::filesystem;

std::unique_ptr<ProjectElement> Element(const char* name, const fs::path& localPath,
                                        int scope = kScopeLocal, const char* type = "ps") {
  auto element = std::make_unique<ProjectElement>();
  element->SetName(name);
  element->SetLocalPath(localPath.c_str());
  element->SetType(type);
  element->SetScope(scope);
  return element;
}

class ProjectTest : public ::testing::Test {
 protected:
  void SetUp() override {
    project = TpsdkCreateProject(tree.stubPath().c_str());
    ASSERT_TRUE(project);
    project->SetFolderProjectNames("F", "P");
  }
  km_test::ProjectTree tree;
  std::unique_ptr<Project> project;
};

TEST_F(ProjectTest, CreateAndReset) {
  EXPECT_EQ(TpsdkCreateProject((tree.root() / "missing.run").c_str()), nullptr);
  auto empty = TpsdkCreateProject(tree.File("empty.run", "").c_str());
  ASSERT_TRUE(empty);
  EXPECT_EQ(empty->GetStubPaths(), "");
  EXPECT_EQ(project->GetOption1(), 1);
  project->SetCopyright("c");
  project->SetPrivateData("id", "data");
  project->Log(kError, msg::kOperationCancelled);
  const std::string stubPaths = project->GetStubPaths();
  project->Reset();
  EXPECT_STREQ(project->GetCopyright(), "");
  EXPECT_EQ(project->GetPrivateDataList().size(), 0u);
  EXPECT_EQ(project->GetStatus(), 0);
  EXPECT_EQ(project->GetOption1(), 0);
  EXPECT_STREQ(project->GetEncoding(), "ISO-8859-1");
  EXPECT_EQ(project->GetStubPaths(), stubPaths);  // stub results survive
  EXPECT_NE(stubPaths, "");
}

TEST_F(ProjectTest, AddInsertAndRefuse) {
  const fs::path a = tree.Resource(kScopeLocal, "a.ps");
  auto first = Element("a.ps", a);
  EXPECT_EQ(project->AddElement(first), 0);
  EXPECT_EQ(first, nullptr);  // the project owns it now
  auto sameName = Element("a.ps", a);
  EXPECT_EQ(project->AddElement(sameName), kError);
  EXPECT_STREQ(project->GetMessages(),
               "ERROR: The Project already contains an element named 'a.ps'");
  ASSERT_NE(sameName, nullptr);  // refused: still the caller's
  auto missing = Element("m.ps", tree.ScopeFolder(kScopeLocal) / "m.ps");
  EXPECT_EQ(project->AddElement(missing), kError);
  EXPECT_NE(std::string(project->GetMessages()).find("Could not find the resource"),
            std::string::npos);
  auto folder = Element("dir", tree.ScopeFolder(kScopeLocal));
  EXPECT_EQ(project->AddElement(folder), kError);
  auto otherCase = Element("A.ps", a);
  EXPECT_EQ(project->AddElement(otherCase), 0);  // names differ in case only
  auto inserted = Element("i.ps", a);
  EXPECT_EQ(project->InsertElement(inserted, 0), 0);
  ASSERT_EQ(project->GetElementCount(), 3u);
  EXPECT_STREQ(project->GetElement(0)->GetName(), "i.ps");
  EXPECT_EQ(project->FindElement("A.ps"), 2);
  EXPECT_EQ(project->FindElement("nothing"), -1);
  EXPECT_EQ(project->GetElement(3), nullptr);
  EXPECT_TRUE(project->IsModified());
  EXPECT_EQ(project->GetCurrentModification().GetActionCount(), 0u);  // not recording
  EXPECT_EQ(project->GetStatus(), 0);  // no date or user message either
}

TEST_F(ProjectTest, RecordedActions) {
  project->SetRecordModifications(true);
  auto element = Element("a.ps", tree.Resource(kScopeLocal, "a.ps"));
  project->AddElement(element);
  EXPECT_EQ(project->GetStatus(), kError);  // no current date or user yet
  EXPECT_STREQ(project->GetMessages(),
               "ERROR: Project current date not specified\n"
               "ERROR: Project current user not specified");
  const ProjectElement& stored = *project->GetElement(0);
  project->ModifyElement(stored);
  project->ModifyElement(stored);
  const ModificationRecord& record = project->GetCurrentModification();
  EXPECT_STREQ(record.GetDate(), "Unknown");
  ASSERT_EQ(record.GetActionCount(), 2u);
  EXPECT_STREQ(record.GetAction(0), "Add 'ps' file 'a.ps'");
  EXPECT_STREQ(record.GetAction(1), "Modify 'ps' file 'a.ps'");
  EXPECT_EQ(project->SetElementDescription(*Element("x.ps", ""), "d"), kError);
  EXPECT_STREQ(project->GetMessages() + std::string(project->GetMessages()).rfind('\n') + 1,
               "ERROR: Could not find the element 'x.ps'");
}

TEST_F(ProjectTest, RemoveDeletesOnlyLocalFiles) {
  struct Case {
    int scope;
    bool detach;
    bool fileStays;
  };
  for (const Case& c : {Case{kScopeLocal, false, false}, Case{kScopeFolder, false, true},
                        Case{kScopeGlobal, false, true}, Case{kScopeLocal, true, true}}) {
    const fs::path file = tree.Resource(c.scope, "r.ps");
    auto element = Element("r.ps", file, c.scope);
    ASSERT_EQ(project->AddElement(element), 0);
    ProjectElement& stored = *project->GetElement(0);
    if (c.detach) {
      auto detached = project->DetachElement(stored);
      ASSERT_NE(detached, nullptr);
      EXPECT_STREQ(detached->GetName(), "r.ps");
    } else {
      EXPECT_EQ(project->RemoveElement(stored), 0);
    }
    EXPECT_EQ(project->GetElementCount(), 0u);
    EXPECT_EQ(fs::exists(file), c.fileStays) << c.scope;
  }
}

TEST_F(ProjectTest, PrivateDataAndEntries) {
  project->SetPrivateData("a", "1");
  project->SetPrivateData("b", "2");
  project->SetPrivateData("a", "3");
  project->SetPrivateData("missing", nullptr);
  EXPECT_STREQ(project->GetPrivateData("a"), "3");
  project->SetPrivateData("a", nullptr);
  EXPECT_EQ(project->GetPrivateData("a"), nullptr);
  EXPECT_EQ(project->GetPrivateDataList().size(), 1u);

  project->SetProjectFilePath("C:\\a\\b.tpf");
  EXPECT_EQ(project->GetArchiveEntryName(0), "b.tpf");
  project->SetProjectFilePath("/a/c.tpf");
  EXPECT_EQ(project->GetArchiveEntryName(0), "c.tpf");
  EXPECT_EQ(project->GetArchiveEntryName(1), "");
  EXPECT_EQ(project->GetArchiveEntryPath(1), "");

  Project unnamed;
  unnamed.ExportProjectFileName();
  EXPECT_EQ(unnamed.GetStatus(), kError);
  EXPECT_STREQ(unnamed.GetProjectFilePath(), "");
  project->ExportProjectFileName();
  EXPECT_EQ(project->GetProjectFilePath(), (tree.ScopeFolder(kScopeLocal) / "P.tpf").string());
}

TEST(ProjectFiles, VolumeNames) {
  const std::pair<const char*, const char*> cases[] = {
      {"/d/proj.tpc", "/d/proj_000001_000000.tpv"},
      {"/d/proj_000002_000003.tpv", "/d/proj_000001_000000.tpv"},
      {"/d.x/proj", "/d.x/proj_000001_000000.tpv"},
      {"proj.tpc", "./proj_000001_000000.tpv"},
  };
  for (const auto& [container, firstVolume] : cases) {
    Project project;
    project.SetVolumeNames(container);
    project.GetArchiveEngine().MakeVolumeName(0);
    EXPECT_EQ(project.GetArchiveEngine().GetFullVolumeName(), firstVolume) << container;
  }
}

TEST(ProjectFiles, TypeOfFileAndClearFolder) {
  km_test::ScratchFolder folder("tpsdk");
  struct Case {
    const char* text;
    int type;
  };
  for (const Case& c : {Case{"<TPF>", 0}, Case{"<PROJECT_TYPE>PDF</PROJECT_TYPE>", 2},
                        Case{"<PROJECT_TYPE>PPML-GA", 3}, Case{"<PROJECT_TYPE> PS<", -1},
                        Case{"<PROJECT_TYPE>ps<", -1}, Case{"<project_type>PS<", 0}}) {
    std::string message;
    EXPECT_EQ(TpsdkProjectTypeOfFile(message, folder.File("t.tpf", c.text).c_str()), c.type)
        << c.text;
    EXPECT_EQ(message, "");
  }
  std::string message;
  EXPECT_EQ(TpsdkProjectTypeOfFile(message, (folder / "none.tpf").c_str()), -1);
  EXPECT_EQ(message, "Could not open file '" + (folder / "none.tpf").string() + "'");

  const fs::path outside = folder.File("outside/kept", "x");
  folder.File("clear/a", "1");
  folder.File("clear/sub/b", "2");
  ::chmod(folder.File("clear/readonly", "3").c_str(), 0400);
  fs::create_symlink(outside, folder / "clear/link");
  EXPECT_EQ(TpsdkClearFolder((folder / "clear").c_str()), 0);
  EXPECT_EQ(km_test::FolderEntries(folder / "clear"), (std::vector<std::string>{"link", "sub"}));
  EXPECT_TRUE(fs::exists(outside));
  EXPECT_EQ(TpsdkClearFolder((folder / "nothing").c_str()), -1);
}

}  // namespace
}  // namespace tpsdk
