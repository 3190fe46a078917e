// Jobs written by kmjob, run on the simulated printer: what lands on the disk, byte for byte.

#include <map>

#include "e2e_fixture.h"
#include "random_bytes.h"

namespace e2e {
namespace {

using FileJobs = E2eTest;

TEST_F(FileJobs, EveryByteArrivesInBothEncodings) {
  std::string all;
  for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
  std::vector<std::string> contents = {all, std::string(4096, '\0')};
  unsigned seed = 0;
  for (std::size_t size : {1, 2, 3, 4, 5, 6, 7, 8, 9, 511, 512, 513, 1 << 20}) {
    contents.push_back(km_test::RandomBytes(size, ++seed));
  }
  std::map<std::string, std::string> expected;
  for (const char* encoding : {"a85", "hex"}) {
    Strings args = {"load-files"};
    for (std::size_t i = 0; i < contents.size(); ++i) {
      const std::string name = std::string("mtbc/mislib/") + encoding + std::to_string(i);
      args.push_back(Local(name.substr(12), contents[i]).string() + "=" + name);
      expected[name] = contents[i];
    }
    if (encoding == std::string("hex")) args.push_back("--hex");
    const ProcessResult run = Kmsim({MakeJob(std::string(encoding) + ".kj", args).string()});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(Report(run, "added").size(), contents.size());
  }
  ExpectDisk(expected);
}

TEST_F(FileJobs, NamesArriveExactlyAsGiven) {
  const Strings names = {"mtbc/mislib/a(b",       "mtbc/mislib/c)d",
                         "mtbc/mislib/(e)",       "mtbc/mislib/f\\g",
                         "mtbc/mislib/h\\",       "mtbc/mislib/with blank",
                         "mtbc/mislib/tab\there", "mtbc/mislib/\xc3\xa9t\xc3\xa9",
                         "mtbc/mislib/latin\xe9", "mtbc/x)(y/z\\)"};
  std::vector<std::string> args = {"load-files", "--status-page", "--label", "P(7)\\"};
  for (std::size_t i = 0; i < names.size(); ++i) {
    args.push_back(Local("n" + std::to_string(i), "data " + names[i]).string() + "=" + names[i]);
  }
  const ProcessResult run = Kmsim({MakeJob("names.kj", args).string()});
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_EQ(DiskFiles(), Sorted(names));
  for (const std::string& name : names) EXPECT_EQ(ReadFile(disk_ / name), "data " + name);
}

TEST_F(FileJobs, ReplaceWordKeepsOrReplaces) {
  WriteFile(disk_ / "mtbc/formlib/logo.frm", "old logo");
  WriteFile(disk_ / "mtbc/formlib/form.frm", "old form");
  const fs::path logo = Local("logo.frm", "new logo");
  const fs::path form = Local("form.frm", "new form");
  const ProcessResult keep =
      Kmsim({MakeJob("keep.kj", {"load-files", logo.string(), "--keep-existing"}).string()});
  ASSERT_EQ(keep.status, 0) << keep.err;
  // A file kept as it was is no change of the disk.
  EXPECT_EQ(Lines(keep.out).size(), 2u) << keep.out;
  EXPECT_EQ(ReadFile(disk_ / "mtbc/formlib/logo.frm"), "old logo");

  const ProcessResult replace = Kmsim(
      {MakeJob("replace.kj", {"load-files", logo.string(), form.string(), "--hex"}).string()});
  ASSERT_EQ(replace.status, 0) << replace.err;
  EXPECT_EQ(Report(replace, "replaced"),
            (Strings{"mtbc/formlib/form.frm", "mtbc/formlib/logo.frm"}));
  EXPECT_EQ(ReadFile(disk_ / "mtbc/formlib/logo.frm"), "new logo");
  EXPECT_EQ(ReadFile(disk_ / "mtbc/formlib/form.frm"), "new form");
}

// "*" matches across "/", a quoted star only itself, a class as in the shell, and a name
// without wildcards equals when folded; an unterminated class matches nothing.
TEST_F(FileJobs, RemoverTakesOnlyItsMatches) {
  for (const char* name : {"mtb/VER", "mtb/src/mtb.eeh", "mtbc/formlib/a.frm", "mtbc/formlib/B.FRM",
                           "mtbc/formlib/c.seg", "mtbc/imglib/a.frm.tif", "mtbc/F/P/x.jdt",
                           "mtbc/mislib/a*b", "mtbc/mislib/axb", "mtbc/jdtlib/k1.jdt",
                           "mtbc/jdtlib/k2.jdt", "mtbc/jdtlib/k9.jdt", "mtbc/imglib/c.tif"}) {
    WriteFile(disk_ / name, "x");
  }
  const ProcessResult run =
      Kmsim({MakeJob("rm.kj", {"remove-files", "mtbc/formlib/*.frm", "MTB/VER", "nothing/here",
                               "mtbc/mislib/a\\*b", "mtbc/jdtlib/k[^2-3].jdt", "mtbc/imglib/?.tif",
                               "mtbc/formlib/[ab"})
                 .string()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Report(run, "removed"),
            (Strings{"mtb/VER", "mtbc/formlib/B.FRM", "mtbc/formlib/a.frm", "mtbc/imglib/c.tif",
                     "mtbc/jdtlib/k1.jdt", "mtbc/jdtlib/k9.jdt", "mtbc/mislib/a*b"}));
  EXPECT_EQ(DiskFiles(),
            (Strings{"mtb/src/mtb.eeh", "mtbc/F/P/x.jdt", "mtbc/formlib/c.seg",
                     "mtbc/imglib/a.frm.tif", "mtbc/jdtlib/k2.jdt", "mtbc/mislib/axb"}));
}

TEST_F(FileJobs, ListingShowsWhatIsThere) {
  const Strings names = {"mtb/VER", "mtbc/formlib/logo.frm", "mtbc/jdtlib/rates.jdt"};
  for (const std::string& name : names) WriteFile(disk_ / name, "x");
  WriteFile(disk_ / "other/file", "x");
  std::string page;
  const ProcessResult run =
      RunJob(MakeJob("list.kj", {"list-files", "--label", "Printer7"}), &page);
  // Listing changes nothing: the report has the job, its page and the verdict.
  EXPECT_EQ(Lines(run.out).size(), 3u) << run.out;
  EXPECT_NE(page.find("Printer7"), std::string::npos) << page;
  for (const std::string& name : names) EXPECT_NE(page.find(name), std::string::npos) << page;
  EXPECT_EQ(page.find("other/file"), std::string::npos);
  EXPECT_EQ(DiskFiles().size(), 4u);
}

TEST_F(FileJobs, FontsAreStoredUnderTheirNamesAndFoundLater) {
  const fs::path urw = "/usr/share/fonts/type1/urw-base35/NimbusSans-Bold.t1";
  std::string font = ReadFile(urw);
  ASSERT_FALSE(font.empty()) << urw;
  // A name Ghostscript does not have, so only the disk can supply it.
  const std::string from = "/FontName /NimbusSans-Bold def";
  ASSERT_NE(font.find(from), std::string::npos);
  font.replace(font.find(from), from.size(), "/FontName /KMTestSans def");

  const std::string useFont =
      "%!\n/KMTestSans findfont dup /FontName get /KMTestSans ne { not_the_disk_font } if\n"
      "24 scalefont setfont 72 700 moveto (KM) show showpage\n";
  const fs::path use = Job("use.ps", useFont);
  const ProcessResult before = Kmsim({use.string()});
  EXPECT_EQ(Report(before, "verdict"), Strings{"failed error undefined not_the_disk_font"});

  // The segmented format reaches the printer unwrapped as well (tests/trmsdk).
  const ProcessResult load =
      Kmsim({MakeJob("font.kj", {"load-fonts", Local("kmtest.t1", font).string()}).string()});
  ASSERT_EQ(load.status, 0) << load.err;
  EXPECT_EQ(Report(load, "added"), Strings{"fonts/KMTestSans"});
  EXPECT_TRUE(ReadFile(disk_ / "fonts/KMTestSans") == font);
  const ProcessResult used = Kmsim({use.string()});
  EXPECT_EQ(used.status, 0) << used.out << used.err;
}

}  // namespace
}  // namespace e2e
