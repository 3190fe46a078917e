// kmjob's project and interpreter jobs: what each option turns into in the job, where the
// interpreter comes from, and the command lines and jobs it refuses.

#include <gmock/gmock.h>

#include <filesystem>
#include <string>
#include <vector>

#include "kmjob_fixture.h"
#include "project_tree.h"

namespace kmjob_test {
namespace {

namespace fs = std::filesystem;
using ::testing::HasSubstr;

constexpr char kProject[] =
    "<?xml version='1.0'?>\n<TPF Version='2.0'>\n"
    "<PROJECT_TYPE>KORA</PROJECT_TYPE><FOLDER_NAME>F</FOLDER_NAME>"
    "<PROJECT_NAME>P</PROJECT_NAME>\n<RESOURCES>\n"
    "<RESOURCE Name='logo.frm' Type='frm' Scope='0'/>\n"
    "<RESOURCE Name='pic.img' Type='img' Scope='2'/>\n"
    "<RESOURCE Name='a.ps' Type='sub' Scope='0' SubmissionOrder='1'/>\n"
    "<RESOURCE Name='b.ps' Type='sub' Scope='0' SubmissionOrder='2'/>\n"
    "</RESOURCES>\n</TPF>\n";

// A job's command line and what its text must and must not hold.
struct JobCase {
  std::vector<std::string> arguments;
  std::vector<std::string> present;
  std::vector<std::string> absent = {};
};

class KmjobProjectJobsTest : public KmjobTest {
 protected:
  // The project's resources in a tree (the logo's bytes tell trees apart); returns the .tpf.
  std::string MakeProject(const km_test::ProjectTree& tree, const std::string& logo = "logo") {
    tree.Resource(0, "logo.frm", logo);
    tree.Resource(2, "pic.img", "pict");
    tree.Resource(0, "a.ps", "%!PS first\n");
    tree.Resource(0, "b.ps", "%!PS second\n");
    return tree.File("P.tpf", kProject).string();
  }

  // Runs each case with --label P1 and --output, and checks the job it wrote.
  void ExpectJobs(const std::vector<JobCase>& cases) {
    for (const JobCase& c : cases) {
      const std::string job = Path("job.ps");
      std::vector<std::string> arguments = c.arguments;
      arguments.insert(arguments.end(), {"--label", "P1", "--output", job});
      const auto result = Kmjob(arguments);
      const std::string described = testing::PrintToString(c.arguments);
      ASSERT_EQ(result.status, 0) << described << "\n" << result.err;
      EXPECT_EQ(result.out, job + "\n");
      const std::string text = km_test::ReadFile(job);
      // Jobs carry the prolog and image: name the text looked for, not the whole job.
      for (const std::string& part : c.present) {
        EXPECT_NE(text.find(part), std::string::npos) << described << " lacks " << part;
      }
      for (const std::string& part : c.absent) {
        EXPECT_EQ(text.find(part), std::string::npos) << described << " holds " << part;
      }
      fs::remove(job);
    }
  }
};

TEST_F(KmjobProjectJobsTest, ProjectJobsCarryTheirOptions) {
  km_test::ProjectTree tree("km_cli_project");
  const std::string tpf = MakeProject(tree);
  const std::string stub = tree.stubPath().string();
  const std::string pafStub = tree.PrintAndForgetStub().string();
  const std::string tpc = Path("P.tpc");
  ASSERT_EQ(Kmjob({"tpc", "create", tpf, tpc, "--stub", stub}).status, 0);
  const std::string logo = "\n\n4 (mtbc/F/P/logo.frm) (P1) false true load_file\n";
  const std::string global = "(mtbc/gshared/pic.img) [2 (F) (P)] (P1) false true load_file";
  ExpectJobs({
      {{"load-project", tpf, "--stub", stub}, {logo, "\n4 " + global}, {"\nend_list"}},
      // A container opened to be printed and forgotten holds every resource as local.
      {{"load-project", tpc, "--stub", pafStub}, {logo, "(mtbc/F/P/pic.img) (P1)"}},
      {{"load-project", tpf, "--kora", tree.root().string(), "--resource", "*.img"},
       {global},
       {"logo.frm"}},
      {{"load-project", tpf, "--stub", stub, "--skip-global-shared", "--hex"},
       {logo + "6C6F676F", "-1 " + global}},
      {{"load-project", tpf, "--stub", stub, "--keep-existing", "--status-page"},
       {"(mtbc/F/P/logo.frm) (P1) true false load_file", "\nend_list\n"}},
      {{"remove-project", "F", "P"}, {"\n[(F) (P) 0] (P1) false true list&remove\n\n%EOF"}},
      {{"remove-project", "F", "P", "--keep-folder-shared", "--keep-global-shared",
        "--status-page"},
       {"[(F) (P) 3] (P1) true true list&remove\n\nend_list\n%EOF"}},
      {{"list-project", "F", "P"}, {"\n[(F) (P) 0] (P1) true false list&remove\nend_list\n%EOF"}},
      // The project's second submission file unless one is named.
      {{"send-container", tpf, "--stub", stub, "--embed", "--pages", "3-7"},
       {"%!PS second\n", "[/PageRange 2] SETPARAMS\n3 7 PAGERANGE", "KORAOSAVE restore\n%%EOF"},
       {"%!PS first", "%%Start including resources", "() startjob"}},
      {{"send-container", tpf, "--stub", stub, "--submission", "a.ps", "--include", "--resident"},
       {"%!PS first\n", "%%Start including resources", "clear MTB end end\n%%EOF"},
       {"%!PS second"}},
      {{"send-container", tpc, "--stub", pafStub, "--deploy", "--keep-existing", "--status-page"},
       {"%%KORA_DEPLOY_JOB_RESOURCES", "(mtbc/F/P/logo.frm) (P1) true false load_file"}},
  });

  // An external file alone is sent as it is.
  const std::string external = File("external.ps", "%!PS external\n");
  const std::string job = Path("copy.ps");
  ASSERT_EQ(Kmjob({"send-container", tpf, "--kora", tree.root().string(), "--external", external,
                   "--output", job})
                .status,
            0);
  EXPECT_EQ(km_test::ReadFile(job), "%!PS external\n");
}

TEST_F(KmjobProjectJobsTest, InterpreterJobsCarryTheirOptions) {
  // Records name their printer file and label; the files' own text is encoded.
  const std::string lumen = "(mtb/src/kora.lmi) () true true load_file";
  const std::string errorHandler = "(mtb/errorh.ps) (P1) false true load_file";
  ExpectJobs({
      {{"install", "--builtin"},
       {"(mtb/VER)", "(mtb/src/mtbdep.run)", "\n(P1) false 0 auto_start"},
       {errorHandler, lumen, "StartupMode"}},
      {{"install", "--builtin", "--auto-start", "--resident", "--error-handler", "--lmi",
        "--status-page"},
       {"StartupMode", "(mtb/errorh.ps) (P1) true true load_file", lumen,
        "\n(P1) true 2 auto_start\nend_list"}},
      {{"uninstall"},
       {"(mtbc/*) (P1) false true list&remove", "(mtb/*) (P1) false true list&remove"}},
      {{"uninstall", "--interpreter"}, {"(mtb/*) (P1)"}, {"(mtbc/*)"}},
      {{"uninstall", "--resources", "--status-page"},
       {"(mtbc/*) (P1) true", "\nend_list"},
       {"(mtb/*)"}},
      {{"startup"}, {"(mtb/src/mtbdep) run\n"}, {"PAGEBRK", "mtbdep.run"}},
      {{"startup", "--resident", "--status-page"}, {"(mtb/src/mtbdep.run) run\n", "PAGEBRK"}},
  });
}

// The interpreter of the settings file unless --stub or --kora names another; the listing of
// `resources` shows which stub file found the resources.
TEST_F(KmjobProjectJobsTest, InterpreterComesFromSettingsUnlessGiven) {
  km_test::ProjectTree builtinTree("km_cli_builtin"), localTree("km_cli_local");
  const std::string tpf = MakeProject(builtinTree, "AAAA");
  MakeProject(localTree, "BBBB");
  auto listing = [](const km_test::ProjectTree& tree) {
    return "frm " + (tree.ScopeFolder(0) / "logo.frm").string() + "\nimg " +
           (tree.ScopeFolder(2) / "pic.img").string() + "\n";
  };
  const std::string builtinIni =
      File("builtin.ini", "useBuiltin=1\nkoraStub=" + builtinTree.stubPath().string() +
                              "\nkoraCore=" + localTree.root().string() + "\nincludeLMI=1\n");
  const std::string localIni = File("local.ini", "koraCore=" + localTree.root().string() + "\n");
  struct Choice {
    std::vector<std::string> options;
    std::string listing;
  };
  for (const Choice& c :
       {Choice{{"--settings", builtinIni}, listing(builtinTree)},
        Choice{{"--settings", localIni}, listing(localTree)},
        Choice{{"--settings", builtinIni, "--kora", localTree.root().string()}, listing(localTree)},
        Choice{{"--settings", localIni, "--stub", builtinTree.stubPath().string()},
               listing(builtinTree)}}) {
    std::vector<std::string> arguments{"resources", tpf};
    arguments.insert(arguments.end(), c.options.begin(), c.options.end());
    // The listing goes through a temporary file that must not stay behind.
    const fs::path temp = dir_ / "tmp";
    fs::create_directories(temp);
    const auto result = km_test::RunProgram(KMJOB_PATH, arguments,
                                            {dir_.path(), {{"TMPDIR", temp.string()}}, {}, {}});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, c.listing) << testing::PrintToString(c.options);
    EXPECT_TRUE(km_test::FolderEntries(temp).empty());
  }

  ExpectJobs({
      {{"load-project", tpf, "--settings", localIni, "--hex"}, {"load_file\n42424242"}},
      // useBuiltin with includeLMI: the built-in image with the Lumen Imaging module.
      {{"install", "--settings", builtinIni}, {"(mtb/VER)", "(mtb/src/kora.lmi) () true"}},
      {{"install", "--settings", builtinIni, "--stub", "s.run"},
       {"(mtb/VER)"},
       {"(mtb/src/kora.lmi) ()"}},
  });
  const auto none = Kmjob({"resources", tpf, "--settings", Path("none.ini")});
  EXPECT_EQ(none.status, 1);
  EXPECT_THAT(none.err, HasSubstr("no interpreter is chosen"));
  // A local installation is taken from koraCore: this one has no run commands.
  const auto local = Kmjob({"install", "--settings", localIni, "--output", Path("i.ps")});
  EXPECT_EQ(local.status, 11) << local.err;
  EXPECT_THAT(local.err, HasSubstr(localTree.stubPath().string()));
}

TEST_F(KmjobProjectJobsTest, RefusesBadCommandLinesAndFailedJobs) {
  km_test::ProjectTree tree("km_cli_refused");
  const std::string tpf = MakeProject(tree);
  const std::string stub = tree.stubPath().string();
  const std::string job = Path("job.ps");
  for (const std::vector<std::string>& usage : std::vector<std::vector<std::string>>{
           {"install", "extra"},
           {"install", "--builtin", "--local", "d"},
           {"install", "--builtin", "--resident"},
           {"install", "--local", tree.root().string(), "--lmi"},
           {"install", "--builtin", "--interpreter"},
           {"uninstall", "--embed"},
           {"startup", "--auto-start"},
           {"load-project"},
           {"load-project", tpf, "--stub", stub, "--kora", "k"},
           {"load-project", tpf, "--keep-folder-shared"},
           {"remove-project", "F"},
           {"list-project", "F", "P", "--resource", "x"},
           {"resources", tpf, "--stub", stub, "--status-page"},
           {"send-container", tpf, "--include", "--deploy"},
           {"send-container", tpf, "--submission", "a.ps", "--external", "b.ps"},
           {"send-container", tpf, "--pages", "7-3"},
           {"send-container", tpf, "--pages", "3"},
           {"send-container", tpf, "--status-page"},
           {"send-container", tpf, "--resident"},
           {"send-container", tpf, "--skip-global-shared"},
       }) {
    std::vector<std::string> arguments = usage;
    arguments.insert(arguments.end(), {"--output", job});
    const auto result = Kmjob(arguments);
    EXPECT_EQ(result.status, 64) << testing::PrintToString(usage) << "\n" << result.err;
    EXPECT_THAT(result.err, HasSubstr("usage: kmjob " + usage[0]));
    EXPECT_FALSE(fs::exists(job));
  }

  // An empty resource stops the job; the generator's message names it and no job is left.
  const std::string empty = tree.Resource(2, "pic.img", "").string();
  auto failed = Kmjob({"load-project", tpf, "--stub", stub, "--output", job});
  EXPECT_EQ(failed.status, 23);
  EXPECT_THAT(failed.err, HasSubstr("[" + empty + "]"));
  EXPECT_FALSE(fs::exists(job));
  failed = Kmjob({"send-container", Path("none.tpf"), "--stub", stub, "--output", job});
  EXPECT_EQ(failed.status, 9);
  EXPECT_THAT(failed.err, HasSubstr(Path("none.tpf")));
  EXPECT_FALSE(fs::exists(job));
}

}  // namespace
}  // namespace kmjob_test
