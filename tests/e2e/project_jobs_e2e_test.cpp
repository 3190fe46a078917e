// Project jobs written by the generator from a project on disk and run on the simulated
// printer: where each resource lands, byte for byte, what the flags leave out, what the
// references report, and what the remover takes away.

#include <map>
#include <memory>

#include "e2e_fixture.h"
#include "project_helpers.h"
#include "random_bytes.h"
#include "trm.h"

namespace e2e {
namespace {

using Resource = km_test::ProjectResource;

class ProjectJobs : public E2eTest {
 protected:
  using Pps = std::unique_ptr<trmPPS, int (*)(trmPPS*)>;

  void SetUp() override { ASSERT_EQ(trmInitialize(), TRM_OK); }
  void TearDown() override { trmFinished(); }

  void WriteProject(const std::vector<Resource>& resources) {
    ASSERT_EQ(km_test::WriteProject(tree_, resources), "");
  }
  Pps NewPps(std::uint32_t flags, const Strings& patterns = {}) const {
    Pps pps(trmNewPPS(), &trmFreePPS);
    trmPPSSetKORAPath(pps.get(), tree_.root().c_str());
    trmPPSSetProject(pps.get(), "F", "P");
    trmPPSSetStatusLabel(pps.get(), "Printer7");
    trmSetFlags(pps.get(), flags);
    for (const std::string& pattern : patterns) trmPPSAddResource(pps.get(), pattern.c_str());
    return pps;
  }
  // Writes root/name with the job entry point; fails the test when the generator fails.
  fs::path Job(int (*entry)(const trmPPS*, const trmVOS*), const Pps& pps,
               const std::string& name) const {
    std::unique_ptr<trmVOS, int (*)(trmVOS*)> vos(trmNewVOS(), &trmFreeVOS);
    trmVOSSetOutputPath(vos.get(), (root_ / name).c_str());
    trmVOSSetFlags(vos.get(), TRM_FLAG_REPLACE);
    EXPECT_EQ(entry(pps.get(), vos.get()), TRM_OK) << trmGetLastMessage();
    return root_ / name;
  }
  // Runs the job and returns its status page as text.
  std::string RunForPage(const fs::path& job, ProcessResult& run) const {
    const fs::path pages = root_ / ("pages-" + job.filename().string());
    run = Kmsim({"--pages", pages.string(), "--page-format", "text", job.string()});
    const Strings printed = Report(run, "page");
    return printed.size() == 1 ? ReadFile(printed[0]) : "pages: " + std::to_string(printed.size());
  }

  km_test::ProjectTree tree_{"km_e2e_project"};
};

// The status page line of an entry: its kind, then its name.
::testing::AssertionResult PageShows(const std::string& page, const std::string& kind,
                                     const std::string& name) {
  for (const std::string& line : Lines(page)) {
    const auto at = line.find(kind);
    if (at != std::string::npos && line.find(name, at + kind.size()) != std::string::npos) {
      return ::testing::AssertionSuccess();
    }
  }
  return ::testing::AssertionFailure() << "no \"" << kind << "\" line for " << name << " in\n"
                                       << page;
}

TEST_F(ProjectJobs, EveryResourceArrivesOnceUnderItsScopedName) {
  const std::vector<Resource> resources = {
      {"l.frm", "frm", 0, km_test::RandomBytes(5000, 1)},
      {"f.seg", "seg", 1, km_test::RandomBytes(777, 2)},
      {"g.img", "img", 2, km_test::RandomBytes((2 << 20) + 513, 3)},
      {"lf.fnt", "fnt", 0, km_test::RandomBytes(1, 4)},
      {"ff.fnt", "fnt", 1, km_test::RandomBytes(2, 5)},
      {"gf.fnt", "fnt", 2, km_test::RandomBytes(3, 6)},
      {"m.mis", "mis", 1, std::string(1024, '\0')},
  };
  const std::map<std::string, std::string> expected = {
      {"mtbc/F/P/l.frm", resources[0].bytes},       {"mtbc/F/fshared/f.seg", resources[1].bytes},
      {"mtbc/gshared/g.img", resources[2].bytes},   {"mtbc/fontlib/lf.fnt", resources[3].bytes},
      {"mtbc/fontlib/ff.fnt", resources[4].bytes},  {"mtbc/fontlib/gf.fnt", resources[5].bytes},
      {"mtbc/F/fshared/m.mis", resources[6].bytes},
  };
  Strings names;
  for (const auto& [name, bytes] : expected) names.push_back(name);
  WriteProject(resources);
  // Patterns that overlap: each resource is still sent once.
  const Strings patterns = {"*.fnt", "L.FRM", "?.*", "*"};
  for (const std::uint32_t encoding : {0u, TRM_FLAG_HEX}) {
    SCOPED_TRACE(encoding);
    fs::remove_all(disk_);
    const ProcessResult run = Kmsim(
        {Job(trmCreateProjectResourceLoader, NewPps(encoding, patterns), "load.kj").string()});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    Strings added = Report(run, "added");
    std::sort(added.begin(), added.end());
    EXPECT_EQ(added, names);
    EXPECT_EQ(Report(run, "replaced"), Strings{});
    EXPECT_EQ(DiskFiles(), names);
    for (const auto& [name, bytes] : expected) EXPECT_TRUE(ReadFile(disk_ / name) == bytes) << name;
  }
}

TEST_F(ProjectJobs, LeftOutResourcesAreOnlyReferenced) {
  // Shared resources left out come as references: right after hex or ASCII85 data, after each
  // other, and before a record that must still take effect.
  WriteProject({{"a.frm", "frm", 0, "form a"},
                {"g1.img", "img", 2, "new image 1"},
                {"g2.img", "img", 2, "image 2"},
                {"b.frm", "frm", 0, "form b"},
                {"sh.seg", "seg", 1, "segment"},
                {"c.frm", "frm", 0, "form c"},
                {"l.img", "img", 0, "local image"},
                {"o.oth", "oth", 0, "other"}});
  const std::uint32_t flags = TRM_PPS_SKIP_IMAGES | TRM_PPS_SKIP_FOLDER_SHARED |
                              TRM_PPS_SKIP_GLOBAL_SHARED | TRM_FLAG_STATUS_PAGE | TRM_FLAG_REPLACE;
  const Strings loaded = {"mtbc/F/P/a.frm", "mtbc/F/P/b.frm", "mtbc/F/P/c.frm"};
  for (const std::uint32_t encoding : {0u, TRM_FLAG_HEX}) {
    SCOPED_TRACE(encoding);
    fs::remove_all(disk_);
    WriteFile(disk_ / "mtbc/gshared/g1.img", "old image 1");
    ProcessResult run;
    const std::string page =
        RunForPage(Job(trmCreateProjectResourceLoader, NewPps(flags | encoding), "refs.kj"), run);
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(Report(run, "added"), loaded);
    EXPECT_EQ(DiskFiles(), (Strings{"mtbc/F/P/a.frm", "mtbc/F/P/b.frm", "mtbc/F/P/c.frm",
                                    "mtbc/gshared/g1.img"}));
    EXPECT_EQ(ReadFile(disk_ / "mtbc/gshared/g1.img"), "old image 1");
    EXPECT_EQ(ReadFile(disk_ / "mtbc/F/P/c.frm"), "form c");
    EXPECT_TRUE(PageShows(page, "referenced, present", "mtbc/gshared/g1.img"));
    EXPECT_TRUE(PageShows(page, "referenced, missing", "mtbc/gshared/g2.img"));
    EXPECT_TRUE(PageShows(page, "referenced, missing", "mtbc/F/fshared/sh.seg"));
    for (const std::string& name : loaded) EXPECT_TRUE(PageShows(page, "added", name));
    EXPECT_EQ(page.find("l.img"), std::string::npos) << page;
    EXPECT_EQ(page.find("o.oth"), std::string::npos) << page;
  }
}

TEST_F(ProjectJobs, RemoverKeepsTheSharedScopesItsFlagsName) {
  const Strings project = {"mtbc/F/P/a.frm", "mtbc/F/P/deep/x.img"};
  const Strings folderShared = {"mtbc/F/fshared/b.seg"};
  const Strings globalShared = {"mtbc/gshared/c.img"};
  const Strings others = {"mtb/VER", "mtbc/F/Q/d.frm", "mtbc/G/fshared/e.seg",
                          "mtbc/fontlib/f.fnt"};
  struct Row {
    std::uint32_t flags;
    bool folder, global;
  };
  for (const Row& row :
       {Row{0, true, true}, Row{TRM_PPS_SKIP_FOLDER_SHARED, false, true},
        Row{TRM_PPS_SKIP_GLOBAL_SHARED, true, false},
        Row{TRM_PPS_SKIP_FOLDER_SHARED | TRM_PPS_SKIP_GLOBAL_SHARED, false, false}}) {
    SCOPED_TRACE(row.flags);
    fs::remove_all(disk_);
    Strings all;
    for (const Strings* group : {&project, &folderShared, &globalShared, &others}) {
      for (const std::string& name : *group) WriteFile(disk_ / name, name), all.push_back(name);
    }
    Strings removed = project;
    if (row.folder) removed.insert(removed.end(), folderShared.begin(), folderShared.end());
    if (row.global) removed.insert(removed.end(), globalShared.begin(), globalShared.end());
    std::sort(removed.begin(), removed.end());
    Strings kept;
    std::sort(all.begin(), all.end());
    std::set_difference(all.begin(), all.end(), removed.begin(), removed.end(),
                        std::back_inserter(kept));

    const ProcessResult run =
        Kmsim({Job(trmCreateProjectRemover, NewPps(row.flags), "rm.kj").string()});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(Report(run, "removed"), removed);
    EXPECT_EQ(DiskFiles(), kept);
  }

  // The printer listing of the project names its files and changes nothing.
  ProcessResult run;
  const std::string page =
      RunForPage(Job(trmListPrinterProjectResources, NewPps(0), "list.kj"), run);
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(Report(run, "removed"), Strings{});
  EXPECT_TRUE(PageShows(page, "listed", "mtbc/F/fshared/b.seg"));
  EXPECT_TRUE(PageShows(page, "listed", "mtbc/gshared/c.img"));
  EXPECT_EQ(page.find("mtbc/F/Q/"), std::string::npos) << page;
}

}  // namespace
}  // namespace e2e
