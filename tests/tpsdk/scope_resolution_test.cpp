#include <gtest/gtest.h>

#include <filesystem>

#include "project_tree.h"
#include "tpsdk/message_catalogue.h"
#include "tpsdk/tpsdk.h"

namespace tpsdk {
namespace {

namespace fs = std::filesystem;

std::unique_ptr<Project> ProjectIn(const km_test::ProjectTree& tree) {
  auto project = TpsdkCreateProject(tree.stubPath().c_str());
  project->SetFolderProjectNames("F", "P");
  return project;
}

TEST(ScopeResolution, NearestScopeWinsAndWarnsOnce) {
  km_test::ProjectTree tree;
  auto project = ProjectIn(tree);
  const fs::path local = tree.Resource(kScopeLocal, "both.ps");
  const fs::path global = tree.Resource(kScopeGlobal, "both.ps");
  tree.Resource(kScopeFolder, "shared.ps");
  tree.Resource(kScopeGlobal, "shared.ps");
  for (int scope = 0; scope < 3; ++scope) tree.Resource(scope, "all.ps");

  struct Case {
    const char* name;
    int mask;
    bool several;
  };
  for (const Case& c : {Case{"both.ps", 5, true}, Case{"shared.ps", 6, true},
                        Case{"all.ps", 7, true}, Case{"nowhere.ps", 0, false}}) {
    EXPECT_EQ(project->GetScopeMask(c.name), c.mask) << c.name;
    EXPECT_EQ(project->IsInSeveralScopes(c.name), c.several) << c.name;
  }
  std::string path;
  project->ResolveLocal(path, "both.ps", true);
  EXPECT_EQ(path, local.string());

  project->WarnScopeHiding("both.ps");
  project->WarnScopeHiding("both.ps");
  EXPECT_EQ(project->GetMessages(),
            "WARNING: " + FormatMessage(msg::kLocalHidesGlobal, {local.string(), global.string()}));
  project->ClearMessages();
  project->WarnScopeHiding("all.ps");
  const std::string all[3] = {(tree.ScopeFolder(kScopeLocal) / "all.ps").string(),
                              (tree.ScopeFolder(kScopeFolder) / "all.ps").string(),
                              (tree.ScopeFolder(kScopeGlobal) / "all.ps").string()};
  EXPECT_EQ(project->GetMessages(),
            "WARNING: " + FormatMessage(msg::kLocalHidesFolder, {all[0], all[1]}) +
                "\nWARNING: " + FormatMessage(msg::kLocalHidesGlobal, {all[0], all[2]}) +
                "\nWARNING: " + FormatMessage(msg::kFolderHidesGlobal, {all[1], all[2]}));
  EXPECT_EQ(project->GetStatus(), kWarning);
}

TEST(ScopeResolution, CandidatesAndNames) {
  km_test::ProjectTree tree;
  auto project = ProjectIn(tree);
  std::string path;
  // Nothing is found: a new file goes to the first folder of the scope.
  project->ResolveLocal(path, "new.ps", false);
  EXPECT_EQ(path, (tree.ScopeFolder(kScopeLocal) / "new.ps").string());
  project->ResolveLocal(path, "new.ps", true);
  EXPECT_EQ(path, "");
  // A ".." part would lead out of the scope folders.
  tree.File("scopes/F/escape.ps", "x");
  for (const char* name : {"../escape.ps", "a/../../escape.ps", ".."}) {
    project->ResolveLocal(path, name, false);
    EXPECT_EQ(path, "") << name;
  }
  project->SetFolderProjectNames("..", "P");
  project->ResolveFolder(path, "x.ps", false);
  EXPECT_EQ(path, "");
  // A name holding the other placeholder is not replaced a second time.
  project->SetFolderProjectNames("$$PROJECT.", "P");
  EXPECT_STREQ(project->GetLocalDirectories("$$PROJECT.", "P", false).Item(0),
               (tree.root() / "scopes/$$PROJECT./P").c_str());
  EXPECT_EQ(project->GetLocalDirectories("F", "P", true).Count(), 1u);
  EXPECT_EQ(project->GetLocalDirectories("F", "Q", true).Count(), 0u);
  // Without both names nothing resolves.
  project->SetFolderProjectNames("F", "");
  project->ResolveGlobal(path, "x.ps", false);
  EXPECT_EQ(path, "");

  Project bare;  // no stub: no folders at all
  bare.SetFolderProjectNames("F", "P");
  bare.ResolveLocal(path, "x.ps", false);
  EXPECT_EQ(path, "");
}

TEST(ScopeResolution, CreateLocalDirectory) {
  km_test::ProjectTree tree;
  auto project = ProjectIn(tree);
  project->SetFolderProjectNames("G", "Q");
  EXPECT_EQ(project->CreateLocalDirectory(), 0);
  EXPECT_TRUE(fs::is_directory(tree.root() / "scopes/G/Q"));
  EXPECT_TRUE(fs::is_directory(tree.root() / "scopes/G/fshared"));

  fs::remove_all(tree.root() / "scopes");
  tree.File("scopes", "a file where a folder belongs");
  EXPECT_EQ(project->CreateLocalDirectory(), kError);
  EXPECT_EQ(
      project->GetMessages(),
      "ERROR: " + FormatMessage(msg::kCouldNotCreateDir, {(tree.root() / "scopes/G/Q").string()}));
}

}  // namespace
}  // namespace tpsdk
