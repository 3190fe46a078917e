// The job prolog: its enciphered block, and the commands that only hand-made jobs reach
// (scoped and reference records, the project form of removal, long lists, start-up modes),
// run by Ghostscript against a folder that stands for the printer disk. What kmjob's jobs
// do on a printer is proven through kmsim in tests/e2e.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "file_io.h"
#include "ghostscript.h"
#include "scratch_folder.h"
#include "stream/job_prolog.h"

namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

// eexec deciphering, written from the cipher's definition rather than shared with the tool.
std::string Decipher(std::string_view hex) {
  std::string out;
  std::uint16_t r = 55665;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
    const auto c =
        static_cast<unsigned char>(std::stoi(std::string(hex.substr(i, 2)), nullptr, 16));
    out.push_back(static_cast<char>(c ^ (r >> 8)));
    r = static_cast<std::uint16_t>((static_cast<unsigned>(c) + r) * 52845u + 22719u);
    if (i + 2 < hex.size() && hex[i + 2] == '\n') ++i;
  }
  return out.size() >= 4 ? out.substr(4) : std::string();
}

TEST(PrologBlock, HasTheJobLayoutAndDeciphersToTheSource) {
  const std::string_view block = trm::JobProlog();
  ASSERT_FALSE(block.empty());
  EXPECT_EQ(block.back(), '\n');
  EXPECT_EQ(block.find('\r'), std::string_view::npos);
  const Strings lines = km_test::Lines(block);
  ASSERT_GT(lines.size(), 20u);
  const Strings head = {
      "%!", "%%Title: ",  "%%For: ",       "%%CreationDate: ", "%%Version: 1.2",
      "%%", "%%Source: ", "%%EndComments", "%%BeginProlog",    "currentfile eexec"};
  for (std::size_t i = 0; i < head.size(); ++i) EXPECT_EQ(lines[i].rfind(head[i], 0), 0u) << i;
  const std::size_t n = lines.size();
  EXPECT_EQ(lines[n - 2], "cleartomark");
  EXPECT_EQ(lines[n - 1], "%%EndProlog");
  for (std::size_t i = n - 7; i < n - 2; ++i) EXPECT_EQ(lines[i], std::string(64, '0'));
  // Lower-case hex lines of 160 digits, the last one possibly shorter.
  for (std::size_t i = 10; i <= n - 8; ++i) {
    EXPECT_EQ(lines[i].find_first_not_of("0123456789abcdef"), std::string::npos) << i;
    EXPECT_TRUE(i < n - 8 ? lines[i].size() == 160 : !lines[i].empty()) << i;
  }

  const std::string plain = km_test::ReadFile(
      fs::path(__FILE__).parent_path().parent_path().parent_path() / "trmsdk/prolog/prolog.ps");
  ASSERT_FALSE(plain.empty());
  const std::size_t start = block.find("currentfile eexec\n") + 18;
  const std::size_t end = block.find(std::string(64, '0'));
  EXPECT_EQ(Decipher(block.substr(start, end - start)), plain);
}

// The disk is a flat folder: "/" in a printer name becomes "#", which no test name contains.
// The host procedures are the ones the prolog lets a host replace; kmReport prints one
// "kind<TAB>name" line per event.
constexpr std::string_view kHostPreamble = R"PS(
/kmCat { 1 index length 1 index length add string dup 0 4 index putinterval
  dup 3 index length 3 index putinterval 3 1 roll pop pop } def
/kmSwap { 3 -1 roll dup length string copy
  0 1 2 index length 1 sub { 2 copy get 4 index eq { 2 copy 4 index put } if pop } for
  3 1 roll pop pop } def
/kmDevName { 47 35 kmSwap kmRoot exch kmCat true } def
/kmAllNames { [ kmRoot (*) kmCat
  { kmRoot length 1 index length kmRoot length sub getinterval 35 47 kmSwap }
  4096 string filenameforall ] } def
/kmReport { exch print (\t) print print (\n) print flush } def
)PS";

class PrologTest : public ::testing::Test {
 protected:
  // Runs the prolog and the commands; the events it reported, sorted, or the error output.
  Strings Run(std::string_view commands, const std::string& device = "nullpage",
              std::string_view preamble = {}) {
    const fs::path host =
        scratch_.File("host.ps", "/kmRoot (" + disk_.string() + "/) def\n" +
                                     std::string(kHostPreamble) + std::string(preamble));
    const fs::path job =
        scratch_.File("job.ps", std::string(trm::JobProlog()) +
                                    "\n/DATE (12/06/26 16:00:00) def\n" + std::string(commands) +
                                    "\ncount 0 ne { operand_stack_not_empty } if\n%EOF\n");
    std::vector<std::string> arguments = {"-sDEVICE=" + device};
    if (device == "png16m") arguments.insert(arguments.end(), {"-r40", "-sOutputFile=page%d.png"});
    arguments.insert(arguments.end(),
                     {"--permit-file-all=" + disk_.string() + "/*", host.string(), job.string()});
    fs::create_directories(disk_);
    fs::create_directories(scratch_ / "tmp");
    const auto run = km_test::RunGhostscript(
        arguments, {scratch_.path(), {{"TMPDIR", (scratch_ / "tmp").string()}}, {}, {}});
    if (run.status != 0) return {"exit " + std::to_string(run.status) + ": " + run.out + run.err};
    Strings events;
    for (const std::string& line : km_test::Lines(run.out)) {
      if (line.find('\t') != std::string::npos) events.push_back(line);
    }
    std::sort(events.begin(), events.end());
    return events;
  }
  fs::path Flat(std::string name) const {
    std::replace(name.begin(), name.end(), '/', '#');
    return disk_ / name;
  }
  void Put(const std::string& name, std::string_view data) const {
    km_test::WriteFile(Flat(name), data);
  }

  km_test::ScratchFolder scratch_{"km_prolog"};
  fs::path disk_ = scratch_ / "disk";
};

TEST_F(PrologTest, ScopedReferenceAndEmptyRecords) {
  Put("mtbc/gshared/there.frm", "x");
  // Reference records come without separators, also after hex data.
  EXPECT_EQ(
      Run("\n\n5 (mtbc/F/P/local.jdt) [0 (F) (P)] (P7) true true load_file\n6C6F63616C"
          "\n\n6 (mtbc/F/fshared/shared.jdt) [1 (F) (P)] (P7) true true load_file\n"
          "736861726564"
          "-1 (mtbc/gshared/there.frm) [2 (F) (P)] (P7) true true load_file"
          "-1 (mtbc/gshared/gone.frm) [2 (F) (P)] (P7) true false load_file\n"
          // An empty file, as a DOS EPS file without PostScript gives.
          "\n\n0 (mtbc/empty) (P7) true true load_file\n<~~>\n"),
      (Strings{"added\tmtbc/F/P/local.jdt", "added\tmtbc/F/fshared/shared.jdt", "added\tmtbc/empty",
               "missing\tmtbc/gshared/gone.frm", "present\tmtbc/gshared/there.frm"}));
  EXPECT_EQ(km_test::ReadFile(Flat("mtbc/F/P/local.jdt")), "local");
  EXPECT_EQ(km_test::ReadFile(Flat("mtbc/F/fshared/shared.jdt")), "shared");
  EXPECT_FALSE(fs::exists(Flat("mtbc/gshared/gone.frm")));
  EXPECT_TRUE(fs::exists(Flat("mtbc/empty")) && fs::is_empty(Flat("mtbc/empty")));
}

TEST_F(PrologTest, ProjectFormKeepsTheScopesItsDigitNames) {
  const Strings all = {"mtbc/F/P/a.frm", "mtbc/F/P2/b.frm", "mtbc/F/fshared/c.frm",
                       "mtbc/G/fshared/d.frm", "mtbc/gshared/e.frm"};
  for (int keep = 0; keep < 4; ++keep) {
    for (const std::string& name : all) Put(name, "x");
    Strings expected = {"removed\tmtbc/F/P/a.frm"};
    if ((keep & 1) == 0) expected.push_back("removed\tmtbc/F/fshared/c.frm");
    if ((keep & 2) == 0) expected.push_back("removed\tmtbc/gshared/e.frm");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Run("\n\n[(f) (p) " + std::to_string(keep) + "] (P7) true true list&remove\n"),
              expected)
        << keep;
    EXPECT_TRUE(fs::exists(Flat("mtbc/F/P2/b.frm")) && fs::exists(Flat("mtbc/G/fshared/d.frm")));
  }
  for (const std::string& name : all) Put(name, "x");
  EXPECT_EQ(Run("\n[(F) (P) 0] (P7) true false list&remove\nend_list\n").size(), 3u);
  EXPECT_TRUE(fs::exists(Flat("mtbc/F/P/a.frm")));
}

TEST_F(PrologTest, EndListPrintsEveryRecordedEntryOnAsManyPagesAsItTakes) {
  for (int i = 0; i < 150; ++i) Put("mtbc/mislib/file" + std::to_string(i), "x");
  // A status word false records nothing for the page.
  EXPECT_EQ(Run("\n\n1 (mtbc/mislib/quiet) (P7) false true load_file\n71"
                "\n(Printer7) true 0 auto_start\nend_list\n",
                "png16m")
                .size(),
            2u);
  EXPECT_EQ(km_test::FolderEntries(scratch_.path()),
            (Strings{"disk", "host.ps", "job.ps", "page1.png", "tmp"}));
  fs::remove(scratch_ / "page1.png");
  // 151 lines at 11 points do not fit on one page; the second end_list prints an empty list.
  EXPECT_EQ(
      Run("\n(mtbc/*) (Printer7) true false list&remove\nend_list\nend_list\n", "png16m").size(),
      151u);
  EXPECT_EQ(km_test::FolderEntries(scratch_.path()),
            (Strings{"disk", "host.ps", "job.ps", "page1.png", "page2.png", "page3.png",
                     "page4.png", "tmp"}));
  EXPECT_GT(fs::file_size(scratch_ / "page1.png"), fs::file_size(scratch_ / "page4.png"));
}

TEST_F(PrologTest, AutoStartRecordsTheModeAndNeverFails) {
  // Mode 1 is run through kmsim in tests/e2e.
  EXPECT_EQ(Run("\n(P7) true 2 auto_start\n"), Strings{"autostart\t2"});
  EXPECT_NE(km_test::ReadFile(Flat("Sys/Start")).find("(mtb/src/mtbdep.run) run"),
            std::string::npos);
  EXPECT_EQ(Run("\n(P7) true 0 auto_start\n"), Strings{"autostart\t0"});
  EXPECT_FALSE(fs::exists(Flat("Sys/Start")));
  // A start file that is not ours stays.
  Put("Sys/Start", "%!PS\n(site start) print\n");
  EXPECT_EQ(Run("\n(P7) true 0 auto_start\n"), Strings{"autostart\t0"});
  EXPECT_TRUE(fs::exists(Flat("Sys/Start")));
  // A device without a usable start file, and a mode it does not know: no error.
  EXPECT_EQ(Run("\n(P7) true 1 auto_start\n(P7) true 7 auto_start\n", "nullpage",
                "/kmCreate { pop /kmCreate errordict /invalidfileaccess get exec } def\n"),
            (Strings{"nostart\t1", "nostart\t7"}));
}

}  // namespace
