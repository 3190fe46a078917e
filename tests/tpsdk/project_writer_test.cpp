#include <gtest/gtest.h>
#include <sys/resource.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "file_io.h"
#include "project_helpers.h"

namespace tpsdk {
namespace {

namespace fs = std::filesystem;

class ProjectWriter : public ::testing::Test {
 public:
  void SetUp() override { project = NewProject(); }

  std::unique_ptr<Project> NewProject() {
    auto made = TpsdkCreateProject(tree.stubPath().c_str());
    if (made) made->SetFolderProjectNames("F", "P");
    return made;
  }
  // Every information text set, so that validation has nothing to say.
  void Inform() {
    project->SetCopyright("(c) A & B");
    project->SetProjectVersion("1");
    project->SetProjectTitle("T <1>");
    project->SetProjectDescription("D 'q'");
    project->SetAuthor("Au \"x\"");
    project->SetKeywords("k");
    project->SetGenerator("g");
    project->SetCreationDate("2026-01-02");
  }
  ProjectElement& Add(std::unique_ptr<ProjectElement> element) {
    ProjectElement& added = *element;
    EXPECT_EQ(project->AddElement(element) & kError, 0) << project->GetMessages();
    return added;
  }
  ProjectElement& Add(const char* name, const char* type) {
    return Add(km_test::NewElement(tree, name, type));
  }

  km_test::ProjectTree tree;
  std::unique_ptr<Project> project;
};

constexpr const char* kGolden =
    "<?xml version='1.0' encoding='ISO-8859-1'?>\n"
    "<TPF Version='2.0'>\n"
    "\n"
    "<INFORMATION>\n"
    " <COPYRIGHT>(c) A &amp; B</COPYRIGHT>\n"
    " <PROJECT_TYPE>KORA</PROJECT_TYPE>\n"
    " <FOLDER_NAME>F</FOLDER_NAME>\n"
    " <PROJECT_NAME>P</PROJECT_NAME>\n"
    " <PROJECT_VERSION>1</PROJECT_VERSION>\n"
    " <PROJECT_TITLE>T &lt;1&gt;</PROJECT_TITLE>\n"
    " <PROJECT_DESCRIPTION>D &apos;q&apos;</PROJECT_DESCRIPTION>\n"
    " <AUTHOR>Au &quot;x&quot;</AUTHOR>\n"
    " <KEYWORDS>k</KEYWORDS>\n"
    " <GENERATOR>g</GENERATOR>\n"
    " <CREATION_DATE>2026-01-02</CREATION_DATE>\n"
    "</INFORMATION>\n"
    "\n"
    "<RESOURCES>\n"
    " <RESOURCE Name='a.ps' Type='ps' Scope='0' Description='x&gt;y&amp;z' Mime='m&lt;' "
    "Precaching='yes' Foo='1' Bar='b'/>\n"
    " <RESOURCE Name='s.pdf' Type='sub' Scope='0' SubmissionOrder='2' JobTicketID='7'/>\n"
    " <RESOURCE Name='t.xml' Type='jtk' Scope='1' JobTicketID='7' Mime='text/xml'/>\n"
    "</RESOURCES>\n"
    "\n"
    "<MODIFICATIONS>\n"
    " <MODIFICATION>\n"
    "  <DATE>d1</DATE>\n"
    "  <USER>u1</USER>\n"
    "  <ACTIONS>\n"
    "   <ACTION>Add &apos;ps&apos; file &apos;a.ps&apos;</ACTION>\n"
    "  </ACTIONS>\n"
    " </MODIFICATION>\n"
    " <MODIFICATION>\n"
    "  <DATE>d2</DATE>\n"
    "  <USER>u2</USER>\n"
    "  <ACTIONS>\n"
    "   <ACTION>Add &apos;sub&apos; file &apos;s.pdf&apos;</ACTION>\n"
    "   <ACTION>Add &apos;jtk&apos; file &apos;t.xml&apos;</ACTION>\n"
    "  </ACTIONS>\n"
    " </MODIFICATION>\n"
    "</MODIFICATIONS>\n"
    "\n"
    "<PRIVATE Identifier='id1'><x a='1'/></PRIVATE>\n"
    "\n"
    "<PRIVATE Identifier='id2'>raw & data</PRIVATE>\n"
    "\n"
    "</TPF>\n";

TEST_F(ProjectWriter, GoldenProjectAndSave) {
  Inform();
  project->SetRecordModifications(true);
  project->SetCurrentDate("d1");
  project->SetCurrentUser("u1");
  ProjectElement& a = Add("a.ps", "ps");
  a.SetDescription("x>y&z");
  a.SetMime("m<");
  a.SetPrecaching("yes");
  a.SetAttribute("Foo", "1");
  a.SetAttribute("Bar", "b");

  project->SetCurrentDate("d2");
  project->SetCurrentUser("u2");
  ASSERT_EQ(project->SaveProject(), 0) << project->GetMessages();
  // Saving closed the record of d1; the fresh one has no action yet, so nothing more is written.
  EXPECT_EQ(project->GetModificationCount(), 1u);
  EXPECT_EQ(project->ComposeProjectFile(), km_test::ReadFile(project->GetProjectFilePath()));

  auto s = km_test::NewElement(tree, "s.pdf", "sub");
  s->SetSubmissionOrder(2);
  s->SetJobTicketId(7);
  Add(std::move(s));
  auto t = km_test::NewElement(tree, "t.xml", "jtk", kScopeFolder);
  t->SetJobTicketOrder(3);  // written as its ID alone
  t->SetJobTicketId(7);
  t->SetMime("text/xml");
  Add(std::move(t));
  project->SetPrivateData("id1", "<x a='1'/>");
  project->SetPrivateData("id2", "raw & data");
  EXPECT_EQ(project->ComposeProjectFile(), kGolden);

  // Read back, everything written survives; whatever version was read, 2.0 is written.
  std::string older = kGolden;
  older.replace(older.find("'2.0'"), 5, "'1.0'");
  project = NewProject();
  ASSERT_EQ(project->OpenProjectFile(tree.File("golden.tpf", older).c_str()), 0)
      << project->GetMessages();
  EXPECT_STREQ(project->GetTpfVersion(), "1.0");
  EXPECT_EQ(project->ComposeProjectFile(), kGolden);
}

// What the golden text and the round trip leave open.
TEST_F(ProjectWriter, WhatIsWrittenAndHow) {
  project->SetEncoding("");
  project->SetProjectPaths("/l", "/f", "/g");  // a KORA project keeps none
  project->SetRecordModifications(true);       // but no action: no history
  project->SetCurrentDate("d");
  project->SetCurrentUser("u");
  std::string text = project->ComposeProjectFile();
  EXPECT_EQ(text.rfind("<?xml version='1.0'?>\n<TPF Version='2.0'>\n\n<INFORMATION>\n", 0), 0u)
      << text;
  EXPECT_NE(text.find("<RESOURCES>\n</RESOURCES>\n\n</TPF>\n"), std::string::npos) << text;

  Add("t.xml", "jtk");  // a ticket linked by nothing
  auto ordered = km_test::NewElement(tree, "o.xml", "jtk");
  ordered->SetJobTicketOrder(2);
  Add(std::move(ordered));
  ProjectElement& other = Add("x.ps", "ps");
  other.SetSubmissionOrder(4);
  other.SetJobTicketOrder(5);
  text = project->ComposeProjectFile();
  EXPECT_NE(text.find("<RESOURCES>\n <RESOURCE Name='t.xml' Type='jtk' Scope='0'/>\n <RESOURCE "
                      "Name='o.xml' Type='jtk' Scope='0' JobTicketOrder='2'/>\n <RESOURCE "
                      "Name='x.ps' Type='ps' Scope='0'/>\n</RESOURCES>\n"),
            std::string::npos)
      << text;

  project->SetProjectType(kProjectPdf);
  text = project->ComposeProjectFile();
  EXPECT_NE(text.find(" <PROJECT_TYPE>PDF</PROJECT_TYPE>\n"), std::string::npos) << text;
  EXPECT_NE(text.find("<RESOURCES>\n <PROJECT_PATH Scope='0'>/l/</PROJECT_PATH>\n <PROJECT_PATH "
                      "Scope='1'>/f/</PROJECT_PATH>\n <PROJECT_PATH Scope='2'>/g/</PROJECT_PATH>\n "
                      "<RESOURCE Name='t.xml'"),
            std::string::npos)
      << text;
  project->SetProjectPaths("", "/f", "/g");  // only all three or none
  text = project->ComposeProjectFile();
  EXPECT_EQ(text.find("PROJECT_PATH"), std::string::npos) << text;
}

TEST_F(ProjectWriter, WritesWholeOrNothing) {
  const fs::path target = tree.File("out/p.tpf", "old");
  fs::permissions(target, fs::perms(0640));
  // Warnings and notes only: written, but the result says so.
  EXPECT_EQ(project->WriteProjectFile(target.c_str()), kWarning | kInfo);
  EXPECT_EQ(km_test::ReadFile(target), project->ComposeProjectFile());
  EXPECT_EQ(fs::status(target).permissions(), fs::perms(0640));

  Inform();
  const fs::path plainFile = tree.File("plain", "x");
  const std::pair<fs::path, const char*> failures[] = {
      {tree.root() / "missing" / "p.tpf", "No such file or directory"},
      {plainFile / "p.tpf", "Not a directory"},
      {target.parent_path(), "Is a directory"},
  };
  for (const auto& [path, reason] : failures) {
    project->ClearMessages();
    EXPECT_EQ(project->WriteProjectFile(path.c_str()), kError);
    EXPECT_EQ(project->GetMessages(),
              "ERROR: Could not create file '" + path.string() + "' (" + reason + ")");
  }
  EXPECT_FALSE(fs::exists(tree.root() / "missing"));
  EXPECT_EQ(km_test::ReadFile(plainFile), "x");

  // Too large for the limit: the write itself fails, after the file was made.
  km_test::WriteFile(target, "old");
  project->ClearMessages();
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 64;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const int mask = project->WriteProjectFile(target.c_str());
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(mask, kError);
  EXPECT_EQ(project->GetMessages(),
            "ERROR: Could not create file '" + target.string() + "' (File too large)");

  // Resources without a folder name could never be read back: nothing is written.
  Add("a.ps", "ps");
  project->SetFolderProjectNames("", "P");
  project->ClearMessages();
  EXPECT_EQ(project->WriteProjectFile(target.c_str()), kError | kWarning);
  EXPECT_NE(std::string(project->GetMessages()).find("\nERROR: Folder name not specified"),
            std::string::npos);
  EXPECT_EQ(km_test::ReadFile(target), "old");
  project->SetFolderProjectNames("F", "P");

  // A job ticket without its submission file fails validation: nothing is written.
  Add("t.xml", "jtk");
  project->ClearMessages();
  EXPECT_EQ(project->WriteProjectFile(target.c_str()) & kError, kError);
  EXPECT_NE(std::string(project->GetMessages()).find("job ticket count does not equal"),
            std::string::npos);
  EXPECT_EQ(km_test::ReadFile(target), "old");
  EXPECT_EQ(km_test::FolderEntries(target.parent_path()), std::vector<std::string>{"p.tpf"});
}

}  // namespace
}  // namespace tpsdk
