// Project jobs written from a project on disk and run on the simulated printer: where each
// resource lands, byte for byte, what the references report, and what the remover takes away.

#include "e2e_fixture.h"
#include "project_helpers.h"
#include "random_bytes.h"

namespace e2e {
namespace {

class ProjectJobs : public GeneratorE2eTest {
 protected:
  // A job of project P in folder F, written from resources placed in the tree's scope folders.
  fs::path Make(int (*entry)(const trmPPS*, const trmVOS*), std::uint32_t flags,
                const std::string& name, const Strings& patterns = {}) const {
    std::unique_ptr<trmPPS, int (*)(trmPPS*)> pps(trmNewPPS(), &trmFreePPS);
    trmPPSSetKORAPath(pps.get(), tree_.root().c_str());
    trmPPSSetProject(pps.get(), "F", "P");
    trmPPSSetStatusLabel(pps.get(), "Printer7");
    trmSetFlags(pps.get(), flags);
    for (const std::string& pattern : patterns) trmPPSAddResource(pps.get(), pattern.c_str());
    return Generate(entry, pps.get(), name);
  }

  km_test::ProjectTree tree_{"km_e2e_project"};
};

constexpr std::uint32_t kEncodings[] = {0u, TRM_FLAG_HEX};

TEST_F(ProjectJobs, EveryResourceArrivesOnceUnderItsScopedName) {
  const std::pair<km_test::ProjectResource, std::string> table[] = {
      {{"l.frm", "frm", 0, km_test::RandomBytes(5000, 1)}, "mtbc/F/P/l.frm"},
      {{"f.seg", "seg", 1, km_test::RandomBytes(777, 2)}, "mtbc/F/fshared/f.seg"},
      {{"g.img", "img", 2, km_test::RandomBytes((2 << 20) + 513, 3)}, "mtbc/gshared/g.img"},
      {{"lf.fnt", "fnt", 0, km_test::RandomBytes(1, 4)}, "mtbc/fontlib/lf.fnt"},
      {{"ff.fnt", "fnt", 1, km_test::RandomBytes(2, 5)}, "mtbc/fontlib/ff.fnt"},
      {{"gf.fnt", "fnt", 2, km_test::RandomBytes(3, 6)}, "mtbc/fontlib/gf.fnt"},
      {{"m.mis", "mis", 1, std::string(1024, '\0')}, "mtbc/F/fshared/m.mis"}};
  std::vector<km_test::ProjectResource> resources;
  std::map<std::string, std::string> expected;
  for (const auto& [resource, printerName] : table) {
    resources.push_back(resource);
    expected[printerName] = resource.bytes;
  }
  ASSERT_EQ(km_test::WriteProject(tree_, resources), "");
  // Patterns that overlap: each resource is still sent once.
  RunJob(Make(trmCreateProjectResourceLoader, TRM_FLAG_HEX, "load.kj",
              {"*.fnt", "L.FRM", "?.*", "*"}));
  ExpectDisk(expected);
}

TEST_F(ProjectJobs, LeftOutResourcesAreOnlyReferenced) {
  // Shared resources left out come as references: right after hex or ASCII85 data, after each
  // other, and before a record that must still take effect.
  ASSERT_EQ(km_test::WriteProject(tree_, {{"a.frm", "frm", 0, "form a"},
                                          {"g1.img", "img", 2, "new image 1"},
                                          {"g2.img", "img", 2, "image 2"},
                                          {"b.frm", "frm", 0, "form b"},
                                          {"sh.seg", "seg", 1, "segment"},
                                          {"c.frm", "frm", 0, "form c"},
                                          {"l.img", "img", 0, "local image"},
                                          {"o.oth", "oth", 0, "other"}}),
            "");
  const std::uint32_t flags = TRM_PPS_SKIP_IMAGES | TRM_PPS_SKIP_FOLDER_SHARED |
                              TRM_PPS_SKIP_GLOBAL_SHARED | TRM_FLAG_STATUS_PAGE | TRM_FLAG_REPLACE;
  for (const std::uint32_t encoding : kEncodings) {
    SCOPED_TRACE(encoding);
    fs::remove_all(disk_);
    WriteFile(disk_ / "mtbc/gshared/g1.img", "old image 1");
    std::string page;
    RunJob(Make(trmCreateProjectResourceLoader, flags | encoding, "refs.kj"), &page);
    ExpectDisk({{"mtbc/F/P/a.frm", "form a"},
                {"mtbc/F/P/b.frm", "form b"},
                {"mtbc/F/P/c.frm", "form c"},
                {"mtbc/gshared/g1.img", "old image 1"}});
    for (const auto& [name, kind] : {std::pair{"mtbc/gshared/g1.img", "referenced, present"},
                                     {"mtbc/gshared/g2.img", "referenced, missing"},
                                     {"mtbc/F/fshared/sh.seg", "referenced, missing"},
                                     {"mtbc/F/P/a.frm", "added"},
                                     {"mtbc/F/P/b.frm", "added"},
                                     {"mtbc/F/P/c.frm", "added"}}) {
      EXPECT_NE(PageLine(page, name).find(kind), std::string::npos) << page;
    }
    for (const char* unsent : {"l.img", "o.oth"}) EXPECT_EQ(page.find(unsent), page.npos) << page;
  }
}

TEST_F(ProjectJobs, RemoverKeepsTheSharedScopesItsFlagsName) {
  constexpr std::uint32_t kAlwaysKept = ~0u;
  // Each file with the flags that keep it: the project's own files always go.
  const std::pair<std::string, std::uint32_t> files[] = {
      {"mtbc/F/P/a.frm", 0},
      {"mtbc/F/P/deep/x.img", 0},
      {"mtbc/F/fshared/b.seg", TRM_PPS_SKIP_FOLDER_SHARED},
      {"mtbc/gshared/c.img", TRM_PPS_SKIP_GLOBAL_SHARED},
      {"mtb/VER", kAlwaysKept},
      {"mtbc/F/Q/d.frm", kAlwaysKept},
      {"mtbc/G/fshared/e.seg", kAlwaysKept},
      {"mtbc/fontlib/f.fnt", kAlwaysKept}};
  for (const std::uint32_t flags : {0u, TRM_PPS_SKIP_FOLDER_SHARED, TRM_PPS_SKIP_GLOBAL_SHARED,
                                    TRM_PPS_SKIP_FOLDER_SHARED | TRM_PPS_SKIP_GLOBAL_SHARED}) {
    SCOPED_TRACE(flags);
    fs::remove_all(disk_);
    Strings removed, kept;
    for (const auto& [name, keptBy] : files) {
      WriteFile(disk_ / name, name);
      (keptBy == kAlwaysKept || (keptBy & flags) ? kept : removed).push_back(name);
    }
    EXPECT_EQ(Report(RunJob(Make(trmCreateProjectRemover, flags, "rm.kj")), "removed"),
              Sorted(removed));
    EXPECT_EQ(DiskFiles(), Sorted(kept));
  }

  // The printer listing of the project names its files and changes nothing.
  std::string page;
  EXPECT_EQ(Report(RunJob(Make(trmListPrinterProjectResources, 0, "list.kj"), &page), "removed"),
            Strings{});
  EXPECT_NE(PageLine(page, "mtbc/F/fshared/b.seg").find("listed"), std::string::npos) << page;
  EXPECT_NE(PageLine(page, "mtbc/gshared/c.img").find("listed"), std::string::npos) << page;
  EXPECT_EQ(page.find("mtbc/F/Q/"), page.npos) << page;
}

}  // namespace
}  // namespace e2e
