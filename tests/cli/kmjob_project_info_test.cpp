#include <string>

#include "kmjob_fixture.h"
#include "project_tree.h"

namespace kmjob_test {
namespace {

constexpr char kProject[] =
    "<?xml version='1.0'?>\n<TPF Version='2.0'>\n"
    "<PROJECT_TYPE>KORA</PROJECT_TYPE><FOLDER_NAME>F</FOLDER_NAME>"
    "<PROJECT_NAME>P</PROJECT_NAME><PROJECT_TITLE>Title\x1b[2J</PROJECT_TITLE>\n<RESOURCES>\n"
    "<RESOURCE Name='b.ps' Type='sub' Scope='0' SubmissionOrder='2'/>\n"
    "<RESOURCE Name='a.ps' Type='sub' Scope='2' SubmissionOrder='1'/>\n"
    "<RESOURCE Name='f.ps' Type='ps' Scope='1'/>\n"
    "</RESOURCES>\n</TPF>\n";

TEST_F(KmjobTest, ProjectInfoShowsResourcesInOrderAndMessages) {
  km_test::ProjectTree tree("km_cli");
  const std::string local = tree.Resource(0, "b.ps").string();
  const std::string global = tree.Resource(2, "a.ps").string();
  const std::string hidden = tree.Resource(2, "b.ps").string();
  const std::string tpf = tree.File("P.tpf", kProject).string();

  auto result = Kmjob({"project-info", tpf, "--kora", tree.root().string()});
  EXPECT_EQ(result.status, 0) << result.err;
  const std::string out = result.out;
  EXPECT_NE(out.find("Title\\x1B[2J"), std::string::npos) << out;  // no escape reaches a tty
  EXPECT_NE(out.find("  sub  Local         b.ps -> " + local), std::string::npos) << out;
  EXPECT_NE(
      out.find("Folder shared f.ps -> " + (tree.ScopeFolder(1) / "f.ps").string() + " (missing)\n"),
      std::string::npos);
  EXPECT_NE(out.find("WARNING: Local scope '" + local + "' hides Global scope '" + hidden + "'"),
            std::string::npos);
  // Submission files come in their order, not the file's.
  EXPECT_NE(out.find("Submission files: 2\n  1. " + global + "\n  2. " + local + "\n"),
            std::string::npos)
      << out;
  EXPECT_NE(out.find("Messages:\n  WARNING: Copyright not specified\n"), std::string::npos);

  const std::string broken = tree.File("broken.tpf", "<TPF>").string();
  result = Kmjob({"project-info", broken, "--stub", tree.stubPath().string()});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.out.find("ERROR: '" + broken + "' not an XML file"), std::string::npos);
  EXPECT_NE(result.err.find("broken.tpf: the project has errors"), std::string::npos);

  result = Kmjob({"project-info", tpf, "--stub", "s", "--kora", "k"});
  EXPECT_EQ(result.status, 64);
  EXPECT_NE(result.err.find("at most one of"), std::string::npos) << result.err;
  result = Kmjob({"project-info", tpf, "--stub", Path("none.run")});
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("none.run does not exist"), std::string::npos) << result.err;
}

}  // namespace
}  // namespace kmjob_test
