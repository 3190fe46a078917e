// Jobs written by kmjob, run on the simulated printer: what lands on the disk, byte for byte.

#include <cstdint>
#include <map>

#include "e2e_fixture.h"

namespace e2e {
namespace {

using Strings = std::vector<std::string>;

std::string Pattern(std::size_t size, unsigned seed) {
  std::string data(size, '\0');
  std::uint32_t x = seed * 2654435761u + 1;
  for (char& c : data) {
    x = x * 1664525u + 1013904223u;
    c = static_cast<char>(x >> 24);
  }
  return data;
}

std::string Le32(std::uint32_t v) {
  return {static_cast<char>(v), static_cast<char>(v >> 8), static_cast<char>(v >> 16),
          static_cast<char>(v >> 24)};
}

class FileJobs : public E2eTest {
 protected:
  // The prolog block exactly as kmjob writes it, for hand-made commands after it.
  std::string PrologJob(std::string_view commands) {
    const fs::path job = MakeJob("prolog.kj", {"list-files"});
    std::string text = ReadFile(job);
    const std::size_t end = text.find("%%EndProlog\n");
    EXPECT_NE(end, std::string::npos);
    text.resize(end + 12);
    return text + "\n/DATE (now) def\n" + std::string(commands) + "\n%EOF\n";
  }
};

TEST_F(FileJobs, EveryByteArrivesInBothEncodings) {
  std::map<std::string, std::string> expected;
  std::vector<std::string> sizes;
  for (std::size_t size = 1; size <= 9; ++size) sizes.push_back(std::to_string(size));
  for (std::size_t size : {511, 512, 513, 1 << 20}) sizes.push_back(std::to_string(size));
  for (bool hex : {false, true}) {
    std::vector<std::string> args = {"load-files"};
    unsigned seed = 0;
    for (const std::string& size : sizes) {
      const std::string data = Pattern(std::stoul(size), ++seed);
      const std::string name = std::string("mtbc/mislib/") + (hex ? "h" : "a") + size;
      args.push_back(Local(name.substr(12), data).string() + "=" + name);
      expected[name] = data;
    }
    std::string all;
    for (int i = 0; i < 256; ++i) all.push_back(static_cast<char>(i));
    const std::string allName = std::string("mtbc/mislib/all-") + (hex ? "hex" : "a85");
    args.push_back(Local(allName.substr(12), all).string() + "=" + allName);
    expected[allName] = all;
    const std::string zeros(4096, '\0');
    const std::string zeroName = std::string("mtbc/mislib/zeros-") + (hex ? "hex" : "a85");
    args.push_back(Local(zeroName.substr(12), zeros).string() + "=" + zeroName);
    expected[zeroName] = zeros;
    if (hex) args.push_back("--hex");
    const fs::path job = MakeJob(hex ? "hex.kj" : "a85.kj", args);
    const Outcome run = Kmsim({job.string()});
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    EXPECT_EQ(run.Report("added").size(), sizes.size() + 2);
  }
  Strings names;
  for (const auto& [name, data] : expected) {
    names.push_back(name);
    EXPECT_TRUE(ReadFile(disk_ / name) == data) << name;
  }
  EXPECT_EQ(DiskFiles(), names);
}

TEST_F(FileJobs, DosEpsFilesArriveStripped) {
  const std::string ps = "%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: 0 0 10 10\nshowpage\n";
  const std::string tiff = Pattern(300, 7);
  std::string eps = "\xC5\xD0\xD3\xC6";
  eps += Le32(30) + Le32(static_cast<std::uint32_t>(ps.size())) + Le32(0) + Le32(0) +
         Le32(static_cast<std::uint32_t>(30 + ps.size())) +
         Le32(static_cast<std::uint32_t>(tiff.size())) + "\xFF\xFF";
  eps += ps + tiff;
  for (const char* encoding : {"", "--hex"}) {
    SCOPED_TRACE(encoding);
    std::vector<std::string> args = {"load-files",
                                     Local("pic.eps", eps).string() + "=mtbc/mislib/pic.eps"};
    if (*encoding) args.push_back(encoding);
    const Outcome run = Kmsim({MakeJob("eps.kj", args).string()});
    fs::remove(root_ / "eps.kj");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(ReadFile(disk_ / "mtbc/mislib/pic.eps"), ps);
  }
}

TEST_F(FileJobs, NamesArriveExactlyAsGiven) {
  const Strings names = {"mtbc/mislib/a(b",
                         "mtbc/mislib/c)d",
                         "mtbc/mislib/(e)",
                         "mtbc/mislib/f\\g",
                         "mtbc/mislib/h\\",
                         "mtbc/mislib/with blank",
                         "mtbc/mislib/\xc3\xa9t\xc3\xa9",
                         "mtbc/mislib/latin\xe9",
                         "mtbc/x)(y/z\\)"};
  std::vector<std::string> args = {"load-files", "--status-page", "--label", "P(7)\\"};
  for (std::size_t i = 0; i < names.size(); ++i) {
    args.push_back(Local("n" + std::to_string(i), "data " + names[i]).string() + "=" + names[i]);
  }
  const Outcome run = Kmsim({MakeJob("names.kj", args).string()});
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  Strings sorted = names;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(DiskFiles(), sorted);
  for (const std::string& name : names) EXPECT_EQ(ReadFile(disk_ / name), "data " + name);
}

TEST_F(FileJobs, ReplaceWordKeepsOrReplaces) {
  WriteFile(disk_ / "mtbc/formlib/logo.frm", "old logo");
  WriteFile(disk_ / "mtbc/formlib/form.frm", "old form");
  const fs::path logo = Local("logo.frm", "new logo");
  const fs::path form = Local("form.frm", "new form");
  const Outcome keep =
      Kmsim({MakeJob("keep.kj", {"load-files", logo.string(), "--keep-existing"}).string()});
  ASSERT_EQ(keep.status, 0) << keep.err;
  // A file kept as it was is no change of the disk.
  EXPECT_EQ(Lines(keep.out).size(), 2u) << keep.out;
  EXPECT_EQ(ReadFile(disk_ / "mtbc/formlib/logo.frm"), "old logo");

  const Outcome replace = Kmsim(
      {MakeJob("replace.kj", {"load-files", logo.string(), form.string(), "--hex"}).string()});
  ASSERT_EQ(replace.status, 0) << replace.err;
  EXPECT_EQ(replace.Report("replaced"),
            (Strings{"mtbc/formlib/form.frm", "mtbc/formlib/logo.frm"}));
  EXPECT_EQ(ReadFile(disk_ / "mtbc/formlib/logo.frm"), "new logo");
  EXPECT_EQ(ReadFile(disk_ / "mtbc/formlib/form.frm"), "new form");
}

TEST_F(FileJobs, RemoverTakesOnlyItsMatches) {
  for (const char* name : {"mtb/VER", "mtb/src/mtb.eeh", "mtbc/formlib/a.frm", "mtbc/formlib/B.FRM",
                           "mtbc/formlib/c.seg", "mtbc/imglib/a.frm.tif", "mtbc/F/P/x.jdt"}) {
    WriteFile(disk_ / name, "x");
  }
  const Outcome run =
      Kmsim({MakeJob("rm.kj", {"remove-files", "mtbc/formlib/*.frm", "MTB/VER", "nothing/here"})
                 .string()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.Report("removed"),
            (Strings{"mtb/VER", "mtbc/formlib/B.FRM", "mtbc/formlib/a.frm"}));
  EXPECT_EQ(DiskFiles(), (Strings{"mtb/src/mtb.eeh", "mtbc/F/P/x.jdt", "mtbc/formlib/c.seg",
                                  "mtbc/imglib/a.frm.tif"}));
}

TEST_F(FileJobs, AllPatternEmptiesTheDiskAndStopsAutoStart) {
  for (const char* name : {"mtb/VER", "mtb/src/mtbdep", "mtbc/formlib/a.frm", "mtbc/F/P/x.jdt"}) {
    WriteFile(disk_ / name, "x");
  }
  WriteFile(disk_ / "fonts/Foo", "font");
  WriteFile(root_ / "start.ps", PrologJob("(P7) true 1 auto_start"));
  const Outcome start = Kmsim({(root_ / "start.ps").string()});
  ASSERT_EQ(start.status, 0) << start.err;
  EXPECT_EQ(start.Report("added"), Strings{"Sys/Start"});
  EXPECT_NE(ReadFile(disk_ / "Sys/Start").find("(mtb/src/mtbdep) run"), std::string::npos);

  const Outcome run =
      Kmsim({MakeJob("all.kj", {"remove-files", "mtbc/formlib/a.frm", "*", "fonts/Foo", "--all"})
                 .string()});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.Report("removed"), (Strings{"Sys/Start", "mtb/VER", "mtb/src/mtbdep",
                                            "mtbc/F/P/x.jdt", "mtbc/formlib/a.frm"}));
  // Only what lies outside mtb/ and mtbc/ stays; the auto-start file is gone.
  EXPECT_EQ(DiskFiles(), Strings{"fonts/Foo"});
}

TEST_F(FileJobs, ListingShowsWhatIsThere) {
  const Strings names = {"mtb/VER", "mtbc/formlib/logo.frm", "mtbc/jdtlib/rates.jdt"};
  for (const std::string& name : names) WriteFile(disk_ / name, "x");
  WriteFile(disk_ / "other/file", "x");
  const fs::path job = MakeJob("list.kj", {"list-files", "--label", "Printer7"});
  const Outcome png = Kmsim({"--pages", (root_ / "png").string(), job.string()});
  ASSERT_EQ(png.status, 0) << png.err;
  // Listing changes nothing: the report has the job, its page and the verdict.
  EXPECT_EQ(Lines(png.out).size(), 3u) << png.out;
  ASSERT_EQ(png.Report("page").size(), 1u);
  EXPECT_EQ(ReadFile(png.Report("page")[0]).substr(0, 8), "\x89PNG\r\n\x1a\n");

  // The same page as text: the label and every listed name are on it.
  const Outcome text =
      Kmsim({"--pages", (root_ / "text").string(), "--page-format", "text", job.string()});
  ASSERT_EQ(text.Report("page").size(), 1u);
  const std::string page = ReadFile(text.Report("page")[0]);
  EXPECT_NE(page.find("Printer7"), std::string::npos) << page;
  for (const std::string& name : names) EXPECT_NE(page.find(name), std::string::npos) << page;
  EXPECT_EQ(page.find("other/file"), std::string::npos);

  const Outcome some = Kmsim({"--pages", (root_ / "some").string(), "--page-format", "text",
                              MakeJob("some.kj", {"list-files", "--pattern", "*.JDT"}).string()});
  ASSERT_EQ(some.Report("page").size(), 1u);
  const std::string somePage = ReadFile(some.Report("page")[0]);
  EXPECT_NE(somePage.find("mtbc/jdtlib/rates.jdt"), std::string::npos) << somePage;
  EXPECT_EQ(somePage.find("logo.frm"), std::string::npos) << somePage;
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
  // The same font in the segmented binary format: text, binary, text, end.
  const std::size_t binary = font.find("currentfile eexec") + 18;
  const std::size_t trailer = font.find("0000000000", binary);
  ASSERT_NE(trailer, std::string::npos);
  std::string pfb;
  auto segment = [&](char type, std::string_view bytes) {
    pfb += '\x80';
    pfb += type;
    pfb += Le32(static_cast<std::uint32_t>(bytes.size()));
    pfb += bytes;
  };
  segment(1, std::string_view(font).substr(0, binary));
  segment(2, std::string_view(font).substr(binary, trailer - binary));
  segment(1, std::string_view(font).substr(trailer));
  pfb += "\x80\x03";

  const std::string useFont =
      "%!\n/KMTestSans findfont dup /FontName get /KMTestSans ne { not_the_disk_font } if\n"
      "24 scalefont setfont 72 700 moveto (KM) show showpage\n";
  WriteFile(root_ / "use.ps", useFont);
  const Outcome before = Kmsim({(root_ / "use.ps").string()});
  EXPECT_EQ(before.Report("verdict"), Strings{"failed error undefined not_the_disk_font"});

  for (const std::string& file : {std::string("kmtest.t1"), std::string("kmtest.pfb")}) {
    SCOPED_TRACE(file);
    fs::remove_all(disk_);
    const fs::path local = Local(file, file == "kmtest.t1" ? font : pfb);
    const Outcome load = Kmsim({MakeJob(file + ".kj", {"load-fonts", local.string()}).string()});
    ASSERT_EQ(load.status, 0) << load.err;
    EXPECT_EQ(load.Report("added"), Strings{"fonts/KMTestSans"});
    EXPECT_TRUE(ReadFile(disk_ / "fonts/KMTestSans") == font);
    const Outcome use = Kmsim({(root_ / "use.ps").string()});
    EXPECT_EQ(use.status, 0) << use.out << use.err;
  }
}

}  // namespace
}  // namespace e2e
