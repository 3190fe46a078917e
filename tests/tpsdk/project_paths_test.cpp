#include <gtest/gtest.h>

#include <array>
#include <string>

#include "project_helpers.h"

namespace tpsdk {
namespace {

using km_test::ScopeDirs;

TEST(ProjectPaths, NormaliseAndExpand) {
  const struct {
    std::string path, normalised, expanded;
  } cases[] = {
      {"%os%/d/res/", "d:\\res", "d:/res/"},
      {"%os%\\d\\res", "d:\\res", "d:/res/"},
      {"x/%os%/d", "d:", "d:/"},        // everything before the marker goes too
      {"%os%/d", "%os%/d", "%os%/d/"},  // too short to hold a drive
      {"abc%os%", "", ""},
      {"/a/b//", "/a/b/", "/a/b//"},
      {"c:/x/y/", "c:\\x\\y", "c:/x/y/"},
      {"/x\\\\y\\", "/x\\y", "/x/y/"},
      {"\\\\\\", "\\", "//"},
      {"/", "", ""},
      {"", "", ""},
      {std::string("/a\0b/", 5), std::string("/a\0b", 4), std::string("/a\0b/", 5)},
  };
  for (const auto& c : cases) {
    std::string target = "stale";
    Project::NormalisePath(target, c.path);
    EXPECT_EQ(target, c.normalised) << c.path;
    Project::ExpandProjectPath(target, c.path);
    EXPECT_EQ(target, c.expanded) << c.path;
    target = c.path;
    Project::NormalisePath(target, target);  // in place
    EXPECT_EQ(target, c.normalised) << c.path;
  }
}

TEST(ProjectPaths, ScopeDirectoriesByPlaceholderOrByOrder) {
  Project project;
  // "(x)" is a path of one character: it is empty once the separator is dropped.
  project.ReadStubText(
      "[\n(/g1/)\n(x)\n(/l/$$FOLDER./$$PROJECT./)\n(/f1/$$FOLDER./)\n(/g2/$$PROJECT./)\n"
      "(/f2/$$FOLDER./)\n] SETPPATH\n");
  ASSERT_EQ(project.GetStubPaths(),
            "/g1||/l/$$FOLDER./$$PROJECT.|/f1/$$FOLDER.|/g2/$$PROJECT.|/f2/$$FOLDER.|");
  project.DeriveScopeDirectories(false);
  EXPECT_EQ(ScopeDirs(project),
            "/l/$$FOLDER./$$PROJECT.;/f1/$$FOLDER.,/f2/$$FOLDER.;/g1,/g2/$$PROJECT.");
  project.DeriveScopeDirectories(true);
  EXPECT_EQ(ScopeDirs(project), "/g1;/l/$$FOLDER./$$PROJECT.;/f1/$$FOLDER.");
}

constexpr const char* kKoraRefuses =
    "ERROR: Project paths may not be specified for projects of type 'KORA'";

TEST(ProjectPaths, CheckingProjectPaths) {
  const std::string all =
      "ERROR: If a project path of one scope is specified, project paths for all scopes must be "
      "specified\n";
  const std::string local = "ERROR: 'Local' project path not specified";
  const std::string folder = "ERROR: 'Folder shared' project path not specified";
  const std::string global = "ERROR: 'Glogal shared' project path not specified";
  const struct {
    int type;
    std::array<const char*, 3> paths;
    std::string messages;  // none: accepted
  } cases[] = {
      {kProjectPdf, {"", "", ""}, ""},
      {kProjectPdf, {"/l", "/f", "/g"}, ""},
      {kProjectKora, {"", "", "/g"}, kKoraRefuses},
      {kProjectPs, {"/l", "", "/g"}, all + folder},
      {kProjectPpmlGa, {"", "/f", ""}, all + local + "\n" + global},
  };
  for (const auto& c : cases) {
    Project project;
    ASSERT_EQ(project.SetProjectType(c.type), 0);
    ASSERT_EQ(project.SetProjectPaths(c.paths[0], c.paths[1], c.paths[2]), 0);
    project.ClearMessages();
    EXPECT_EQ(project.CheckProjectPaths(), c.messages.empty()) << c.messages;
    EXPECT_EQ(project.GetMessages(), c.messages);
    EXPECT_EQ(project.HasAllProjectPaths(), *c.paths[0] && *c.paths[1] && *c.paths[2]);
  }

  Project project;
  ASSERT_EQ(project.SetProjectPaths("c:\\l\\", "/f", "/g"), 0);
  EXPECT_STREQ(project.GetLocalProjectPath(), "c:/l/");
  EXPECT_STREQ(project.GetFolderProjectPath(), "/f/");
  EXPECT_STREQ(project.GetGlobalProjectPath(), "/g/");
  EXPECT_EQ(project.SetProjectPaths("/l", nullptr, "/g"), kError);
  EXPECT_STREQ(project.GetLocalProjectPath(), "");
  EXPECT_STREQ(project.GetGlobalProjectPath(), "");
  EXPECT_EQ(project.GetMessages(), local);
}

TEST(ProjectPaths, SettersRefuseCodesOutOfRange) {
  Project project;
  ASSERT_EQ(project.SetProjectType(kProjectPdf), 0);
  ASSERT_EQ(project.SetPathMismatchAction(kMismatchUseProjectFile), 0);
  project.ClearMessages();
  for (int type : {4, -1, 7}) EXPECT_EQ(project.SetProjectType(type), kError) << type;
  for (int action : {3, -2}) EXPECT_EQ(project.SetPathMismatchAction(action), kError) << action;
  EXPECT_EQ(project.GetProjectType(), kProjectPdf);
  EXPECT_EQ(project.GetPathMismatchAction(), kMismatchUseProjectFile);
  EXPECT_STREQ(project.GetMessages(),
               "ERROR: Invalid project type: '4'\nERROR: Invalid project type: '-1'\n"
               "ERROR: Invalid project type: '7'\nERROR: Invalid Project Path Mismatch Action: "
               "'3'\nERROR: Invalid Project Path Mismatch Action: '-2'");
}

constexpr const char* kTypedStub =
    "TESSEL_PROJECT_PDLTYPE: PDF\n(/r/$$FOLDER./$$PROJECT./)\n(/r/$$FOLDER./)\n(/r/) SETPPATH\n"
    "TESSEL_PROJECT_PDLTYPE: PPML-GA\n(c:\\r\\$$FOLDER.\\$$PROJECT.)\n(c:/r/$$FOLDER./)\n"
    "(%os%/d/r/) SETPPATH\n";

TEST(ProjectPaths, StubAndProjectFilePathsReconciled) {
  const std::string pdfStub = "/r/$$FOLDER./$$PROJECT.;/r/$$FOLDER.;/r", before = "/old;;";
  const std::string ppmlStub = "c:\\r\\$$FOLDER.\\$$PROJECT.;c:\\r\\$$FOLDER.;d:\\r";
  const std::string noPs = "ERROR: Stubfile is missing path information for project type: 'PS'";
  const std::string e = "ERROR: Stubfile and TPF project path mismatch for ";
  const std::string w = "WARNING: Stubfile and TPF project path mismatch for ";
  const std::string localX = "local scope: '/r/F/P' vs '/x/F/P/'";
  const std::string globalR = "global shared scope: '/r' vs '/R/'";
  const struct {
    int type, action;
    std::array<const char*, 3> projectPaths;  // nulls: none
    int result;
    std::string message, dirs;
  } cases[] = {
      {kProjectPdf, 0, {"/r/F/P", "/r/F", "/r"}, 0, "", pdfStub},
      {kProjectPdf, 1, {"/r/F/P/", "/r/F/", "/r/"}, 0, "", pdfStub},
      {kProjectPdf, 2, {"/r/F/P", "/r/F", "/r"}, 0, "", "/r/F/P/;/r/F/;/r/"},
      // Windows forms name the same folders whichever separators they use.
      {kProjectPpmlGa, 0, {"c:/r/F/P", "c:\\r\\F\\", "d:\\r"}, 0, "", ppmlStub},
      {kProjectPdf, 0, {"/x/F/P", "/r/F", "/r"}, kError, e + localX, before},
      {kProjectPdf, 1, {"/x/F/P", "/r/F", "/r"}, kWarning, w + localX, pdfStub},
      {kProjectPdf, 2, {"/r/F/P", "/r/F", "/R"}, kWarning, w + globalR, "/r/F/P/;/r/F/;/R/"},
      {kProjectPdf, 0, {}, 0, "", pdfStub},
      {kProjectPs, 0, {}, kError, noPs, before},
      {kProjectPs, 2, {"/x", "/r/F", "/r"}, kError, noPs, "/x/;/r/F/;/r/"},
      {kProjectKora, 0, {"/x", "/r/F", "/r"}, 0, "", before},
  };
  for (const auto& c : cases) {
    Project project;
    project.ReadStubText("[\n(/old/)\n] SETPPATH\n");
    project.ReadStubText(kTypedStub);
    project.SetFolderProjectNames("F", "P");
    // Until a set of paths is used, the directories are the ones derived before.
    project.DeriveScopeDirectories(true);
    if (c.projectPaths[0]) {
      ASSERT_EQ(project.SetProjectPaths(c.projectPaths[0], c.projectPaths[1], c.projectPaths[2]),
                0);
    }
    project.ClearMessages();
    EXPECT_EQ(project.MatchStubAndProjectPaths(c.type, c.action), c.result) << c.type << c.action;
    EXPECT_EQ(project.GetMessages(), c.message) << c.type << c.action;
    EXPECT_EQ(ScopeDirs(project), c.dirs) << c.type << c.action;
  }
}

TEST(ProjectPaths, SettingTheTypeReconcilesPaths) {
  Project project;
  project.ReadStubText(kTypedStub);
  project.SetFolderProjectNames("F", "P");
  ASSERT_EQ(project.SetProjectPaths("/x/F/P", "/r/F", "/r"), 0);
  ASSERT_EQ(project.SetPathMismatchAction(kMismatchUseProjectFile), 0);
  EXPECT_EQ(project.SetProjectType(kProjectPdf), 0);
  EXPECT_EQ(project.GetStatus(), kWarning);
  EXPECT_EQ(project.GetStubPaths(), "/x/F/P/|/r/F/|/r/|");
  EXPECT_EQ(ScopeDirs(project), "/x/F/P/;/r/F/;/r/");

  // A KORA project refuses project paths and keeps the directories it had.
  project.ClearMessages();
  EXPECT_EQ(project.SetProjectType(kProjectKora), 0);
  EXPECT_STREQ(project.GetMessages(), kKoraRefuses);
  EXPECT_EQ(ScopeDirs(project), "/x/F/P/;/r/F/;/r/");
}

}  // namespace
}  // namespace tpsdk
