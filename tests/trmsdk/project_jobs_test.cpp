// The project jobs against projects written by the project model into a scope tree: the resource
// filter, the selection, every failure with its detail, and the job texts.

#include <gmock/gmock.h>

#include <functional>
#include <vector>

#include "frame/records.h"
#include "generator_fixture.h"
#include "project/resource_selection.h"

namespace trm_test {
namespace {

using ::testing::StartsWith;

TEST(ProjectResourceFilter, ExcludesByTypeScopeAndFlags) {
  const struct {
    const char* type;
    int scope;
    std::uint32_t flags;
    bool excluded;
  } rows[] = {
      {"img", 0, 0, false},      {"img", 0, 0x80, true},   {"IMG", 0, 0x80, false},
      {"fnt", 0, 0x200, true},   {"fnt", 0, 0, false},     {"oth", 0, 0, true},
      {"oth", 0, 0x400, false},  {"oth", 2, 0x400, false}, {"mis", 0, 0x100, true},
      {"eps", 0, 0x100, true},   {"frm", 0, 0x100, false}, {"frm", 1, 0x800, true},
      {"frm", 2, 0x800, false},  {"seg", 2, 0x1000, true}, {"seg", 1, 0x1000, false},
      {"fnt", 0, 0x1000, true},  {"fnt", 1, 0x800, true},  {"sub", 0, 0, true},
      {"sub", 0, 0x2000, false}, {"sub", 2, 0x3000, true}, {"jtk", 7, 0xFFFF, false},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(trm::IsFilteredOut(row.type, row.scope, row.flags), row.excluded)
        << row.type << " scope " << row.scope << " flags " << std::hex << row.flags;
  }
}

class ProjectJobs : public ProjectGeneratorTest {
 protected:
  // The listing job's output for these patterns and flags.
  std::string Listing(const std::vector<const char*>& patterns, std::uint32_t flags) {
    Pps pps = NewPps();
    for (const char* pattern : patterns) trmPPSAddResource(pps.get(), pattern);
    trmSetFlags(pps.get(), flags);
    EXPECT_EQ(trmListProjectResources(pps.get(), NewVos().get()), TRM_OK) << trmGetLastMessage();
    std::string listing = ReadFile(Output());
    fs::remove(Output());
    return listing;
  }
  std::string Body() const { return JobBody(ReadFile(Output())); }
};

TEST_F(ProjectJobs, SelectionTakesEachResourceOnceInPatternOrder) {
  WriteProject({{"logo.frm", "frm", 0},
                {"a.frm", "frm", 1},
                {"pic.img", "img", 2},
                {"x.oth", "oth", 0},
                {"Logo.seg", "seg", 0}});
  const std::string logo = "frm " + Local(0, "logo.frm") + "\n";
  const std::string a = "frm " + Local(1, "a.frm") + "\n";
  const std::string pic = "img " + Local(2, "pic.img") + "\n";
  const std::string seg = "seg " + Local(0, "Logo.seg") + "\n";
  const struct {
    std::vector<const char*> patterns;
    std::uint32_t flags;
    std::string listing;
  } rows[] = {
      {{}, 0, logo + a + pic + seg},
      {{"a.frm", "*"}, 0, a + logo + pic + seg},
      {{"pic.img", "*.FRM", "*"}, 0, pic + logo + a + seg},
      {{"LOGO.*", "*.frm"}, 0, logo + seg + a},
      {{"*.*"}, 0x80 | 0x800, logo + seg},
      {{"nothing"}, 0, ""},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(Listing(row.patterns, row.flags), row.listing)
        << ::testing::PrintToString(row.patterns);
  }
}

TEST_F(ProjectJobs, FailuresNameTheirCauseAndLeaveNoOutput) {
  WriteProject({{"l.frm", "frm", 0}, {"g.img", "img", 2}, {"e.eps", "eps", 0}});
  const std::string folder = tree().root().string();
  const fs::path noTpf = tree().File("noplace.run", km_test::RunFileText({folder + "/gs/"}));
  const fs::path psProject = tree().File("ps.tpf", "<TPF><PROJECT_TYPE>PS</PROJECT_TYPE></TPF>");
  const fs::path broken = tree().File("broken.tpf", "not a project file");
  const std::string scopes = (tree().root() / "scopes").string();
  using P = trmPPS*;
  using V = trmVOS*;
  const auto ByFile = [](int mode, std::string file) {
    return [mode, file](P p, V) {
      trmPPSSetMode(p, mode);
      (mode == 2003 ? trmPPSSetContainerFile : trmPPSSetProjectFile)(p, file.c_str());
    };
  };
  const struct {
    std::function<void(P, V)> setUp;
    int code;
    std::string detail;
  } rows[] = {
      {[](P p, V v) { p->KORAPath.reset(), v->outputPath.reset(); }, TRM_INVALID_PARAMETER,
       "trmPPS.KORAPath"},
      {[](P p, V) { trmAddFlags(p, TRM_PPS_USE_STUB); }, TRM_INVALID_PARAMETER, "trmPPS.stubPath"},
      {[](P, V v) { v->outputPath = ""; }, TRM_INVALID_PARAMETER, "trmVOS.outputPath"},
      {[](P p, V) { trmPPSSetKORAPath(p, "/nowhere"); }, TRM_ACCESS_PROBLEM,
       "/nowhere/src/mtbdos.run"},
      {[](P p, V) { p->folderName.reset(); }, TRM_INVALID_PARAMETER, "trmPPS.folderName"},
      {[](P p, V) { p->projectName.reset(); }, TRM_INVALID_PARAMETER, "trmPPS.projectName"},
      {[](P p, V) { trmPPSSetProject(p, "F", "Q"); }, TRM_PROJECT_NOT_FOUND, "F/Q"},
      {[&](P p, V) {
         trmPPSSetStubPath(p, noTpf.c_str());
         trmAddFlags(p, TRM_PPS_USE_STUB);
       },
       TRM_PROJECT_NOT_FOUND, "F/P"},
      {[](P p, V) { trmPPSSetMode(p, 2002); }, TRM_PROJECT_NOT_FOUND, ""},
      {ByFile(2002, folder + "/none.tpf"), TRM_PROJECT_NOT_FOUND, folder + "/none.tpf"},
      {ByFile(2003, scopes), TRM_PROJECT_NOT_FOUND, scopes},
      {ByFile(2002, psProject), TRM_NOT_KORA_PROJECT, psProject.string()},
      {ByFile(2002, broken), TRM_PROJECT_OPEN_PROBLEM, broken.string()},
      {[](P p, V) { p->processingMode = 1999; }, TRM_INVALID_MODE, "1999"},
      {[&](P, V) { fs::remove(Local(2, "g.img")); }, TRM_SOURCE_MISSING, Local(2, "g.img")},
      {[&](P, V) { WriteFile(Local(0, "e.eps"), ""); }, TRM_SOURCE_SIZE, Local(0, "e.eps")},
      {[&](P, V) {
         fs::remove(Local(0, "e.eps"));
         fs::create_directory(Local(0, "e.eps"));
       },
       TRM_SOURCE_UNREADABLE, Local(0, "e.eps") + ": is a folder"},
      {[](P p, V) {
         trmSetFlags(p, 0x1000 | TRM_FLAG_STATUS_PAGE);
         trmPPSAddResource(p, "g.img");
       },
       TRM_NO_RESOURCE_LOADED, "P"},
  };
  WriteFile("trmdebug.log", "");
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.code) + " " + row.detail);
    fs::remove_all(Local(0, "e.eps"));
    tree().Resource(0, "e.eps");
    tree().Resource(2, "g.img");
    Pps pps = NewPps();
    Vos vos = NewVos();
    row.setUp(pps.get(), vos.get());
    EXPECT_EQ(trmCreateProjectResourceLoader(pps.get(), vos.get()), row.code);
    EXPECT_EQ(trmGetLastDetail(), row.detail);
    EXPECT_TRUE(NothingWritten());
  }
  const std::string log = ReadFile("trmdebug.log");
  EXPECT_GT(Count(log, "TPSDK - OpenProject messages:\r\n"), 0u);
  EXPECT_GT(Count(log, "[trmCreateProjectResourceLoader] Loading resource file. [" +
                           Local(0, "l.frm") + "]\r\n"),
            0u);
  // Announced only once checked: by the rows where a later file fails, not where it is missing.
  EXPECT_EQ(Count(log, "Loading resource file. [" + Local(2, "g.img") + "]"), 2u);
}

TEST_F(ProjectJobs, LoadJobWritesRecordsAndReferencesOnLinesOfTheirOwn) {
  WriteProject({{"l.frm", "frm", 0, "L"},
                {"g.img", "img", 2, "G"},
                {"f.fnt", "fnt", 0, "F"},
                {"s.seg", "seg", 1, "S"},
                {"h.fnt", "fnt", 1, "H"}});
  // Left out by 0x1000: the shared image and the folder-shared font, once per pattern.
  const std::string ref = "\n-1 (mtbc/gshared/g.img) [2 (F) (P)] (lbl) true true load_file\n";
  const std::string fontRef = "\n-1 (mtbc/fontlib/h.fnt) [1 (F) (P)] (lbl) true true load_file\n";
  const std::string seg = "\n\n1 (mtbc/F/fshared/s.seg) [1 (F) (P)] (lbl) ";
  const std::string end = "%% End deploying resources\n";
  const struct {
    std::uint32_t flags;
    std::vector<const char*> patterns;
    std::string body;
  } rows[] = {
      {0x1000 | TRM_FLAG_STATUS_PAGE | TRM_FLAG_REPLACE | TRM_FLAG_HEX,
       {"l.frm", "*"},
       "\n\n1 (mtbc/F/P/l.frm) (lbl) true true load_file\n4C" + ref + fontRef + ref + seg +
           "true true load_file\n53" + fontRef + "\nend_list\n" + end},
      {0,
       {"*.fnt", "s*"},
       "\n\n1 (mtbc/fontlib/f.fnt) [2 (F) (P)] (lbl) false false load_file\n<~7K~>\n"
       "\n\n1 (mtbc/fontlib/h.fnt) [2 (F) (P)] (lbl) false false load_file\n<~8,~>\n" +
           seg + "false false load_file\n<~;Z~>\n" + end},
      {TRM_FLAG_HEX, {"s.seg"}, seg + "false false load_file\n53\n" + end},
  };
  for (const auto& row : rows) {
    Pps pps = NewPps();
    trmPPSSetStatusLabel(pps.get(), "lbl");
    trmSetFlags(pps.get(), row.flags);
    for (const char* pattern : row.patterns) trmPPSAddResource(pps.get(), pattern);
    ASSERT_EQ(trmCreateProjectResourceLoader(pps.get(), NewVos().get()), TRM_OK)
        << trmGetLastMessage();
    const std::string job = ReadFile(Output());
    EXPECT_THAT(job, StartsWith("%!\n%%Title: trmCreateProjectResourceLoader\n"));
    EXPECT_TRUE(InOrder(job, {"\n%%KORA_DEPLOY_JOB_RESOURCES \"true\"\n%%EndComments\n\n"
                              "\n%%Start deploying resources.\n%!"}));
    EXPECT_EQ(Body(), row.body);
  }
}

TEST_F(ProjectJobs, ProjectFileAndContainerOpenTheProjectAndTheContainerIsRemovedAfter) {
  WriteProject({{"l.frm", "frm", 0}});
  Pps pps = NewPps();
  trmPPSSetMode(pps.get(), 2002);
  trmPPSSetProjectFile(pps.get(), ProjectFile().c_str());
  ASSERT_EQ(trmListProjectResources(pps.get(), NewVos().get()), TRM_OK) << trmGetLastMessage();
  EXPECT_EQ(ReadFile(Output()), "frm " + Local(0, "l.frm") + "\n");

  auto source = tpsdk::TpsdkCreateProject(tree().stubPath().c_str());
  ASSERT_EQ(source->OpenProjectFile(ProjectFile().c_str()) & 8, 0);
  const fs::path container = tree().root() / "p.tpc";
  ASSERT_EQ(source->CreateContainer(container.c_str()) & 8, 0) << source->GetMessages();
  trmPPSSetStubPath(pps.get(), tree().PrintAndForgetStub().c_str());
  trmAddFlags(pps.get(), TRM_PPS_USE_STUB);
  trmPPSSetMode(pps.get(), 2003);
  trmPPSSetContainerFile(pps.get(), container.c_str());
  ASSERT_EQ(trmListProjectResources(pps.get(), NewVos().get()), TRM_OK) << trmGetLastMessage();
  EXPECT_EQ(ReadFile(Output()), "frm " + (tree().PrintAndForgetFolder() / "l.frm").string() + "\n");
  EXPECT_FALSE(fs::exists(tree().PrintAndForgetFolder() / "l.frm"));
}

TEST_F(ProjectJobs, RemoverKeepsTheScopesItsFlagsName) {
  const struct {
    std::uint32_t flags;
    std::string body;
  } rows[] = {
      {0, "\n\n[(F) (P) 0] (lbl) false true list&remove\n\n%EOF"},
      {0x800, "\n\n[(F) (P) 1] (lbl) false true list&remove\n\n%EOF"},
      {0x1000 | TRM_FLAG_STATUS_PAGE,
       "\n\n[(F) (P) 2] (lbl) true true list&remove\n\nend_list\n%EOF"},
      {0x1800, "\n\n[(F) (P) 3] (lbl) false true list&remove\n\n%EOF"},
  };
  for (const auto& row : rows) {
    Pps pps = NewPps();
    trmPPSSetStatusLabel(pps.get(), "lbl");
    trmSetFlags(pps.get(), row.flags);
    ASSERT_EQ(trmCreateProjectRemover(pps.get(), NewVos().get()), TRM_OK);
    EXPECT_THAT(ReadFile(Output()), StartsWith("%!\n%%Title: trmCreateProjectRemover\n"));
    EXPECT_EQ(Body(), row.body);
  }
  Pps pps = NewPps();
  ASSERT_EQ(trmListPrinterProjectResources(pps.get(), NewVos().get()), TRM_OK);
  EXPECT_EQ(Body(), "\n[(F) (P) 0] () true false list&remove\nend_list\n%EOF");
  fs::remove(Output());

  // Neither needs the project itself, only its names.
  pps->projectName.reset();
  EXPECT_EQ(trmCreateProjectRemover(pps.get(), NewVos().get()), TRM_INVALID_PARAMETER);
  EXPECT_EQ(trmGetLastDetail(), std::string("trmPPS.projectName"));
  EXPECT_EQ(trmListPrinterProjectResources(pps.get(), NewVos().get()), TRM_INVALID_PARAMETER);
  EXPECT_TRUE(NothingWritten());
}

}  // namespace
}  // namespace trm_test
