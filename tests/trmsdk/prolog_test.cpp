// The job prolog: its enciphered block, and its commands run by Ghostscript against a folder
// that stands for the printer disk.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "stream/job_prolog.h"

namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteBytes(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::vector<std::string> Lines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) {
      lines.emplace_back(text.substr(start));
      break;
    }
    lines.emplace_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// eexec deciphering, written from the cipher's definition rather than shared with the tool.
std::string Decipher(std::string_view hex) {
  std::string out;
  std::uint16_t r = 55665;
  int high = -1;
  for (char ch : hex) {
    int digit = -1;
    if (ch >= '0' && ch <= '9') digit = ch - '0';
    if (ch >= 'a' && ch <= 'f') digit = ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F') digit = ch - 'A' + 10;
    if (digit < 0) continue;
    if (high < 0) {
      high = digit;
      continue;
    }
    const auto c = static_cast<unsigned char>(high * 16 + digit);
    high = -1;
    out.push_back(static_cast<char>(c ^ (r >> 8)));
    r = static_cast<std::uint16_t>((c + r) * 52845 + 22719);
  }
  return out.size() >= 4 ? out.substr(4) : std::string();
}

std::string Ascii85(std::string_view data) {
  std::string out;
  std::size_t groups = 0;
  for (std::size_t i = 0; i < data.size(); i += 4) {
    const std::size_t n = std::min<std::size_t>(4, data.size() - i);
    std::uint32_t value = 0;
    for (std::size_t k = 0; k < 4; ++k) {
      value = value << 8 | (k < n ? static_cast<unsigned char>(data[i + k]) : 0u);
    }
    if (n == 4 && value == 0) {
      out.push_back('z');
    } else {
      char digits[5];
      for (int k = 4; k >= 0; --k) {
        digits[k] = static_cast<char>('!' + value % 85);
        value /= 85;
      }
      out.append(digits, n + 1);
    }
    if (++groups % 128 == 0) out.push_back('\n');
  }
  return out + "~>\n";
}

std::string Hex(std::string_view data) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (std::size_t i = 0; i < data.size(); ++i) {
    if (i > 0 && i % 512 == 0) out.push_back('\n');
    const auto c = static_cast<unsigned char>(data[i]);
    out.push_back(kDigits[c >> 4]);
    out.push_back(kDigits[c & 15]);
  }
  return out;
}

std::string AllByteValues() {
  std::string data;
  for (int i = 0; i < 256; ++i) data.push_back(static_cast<char>(i));
  return data;
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

struct GsRun {
  int exitCode = -1;
  std::string out;
  std::string err;
  std::vector<std::string> events;  // "kind<TAB>name" lines of the output
};

class PrologTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    root_ = fs::temp_directory_path() /
            ("km_prolog_" + std::string(info->name()) + "_" + std::to_string(getpid()));
    fs::remove_all(root_);
    fs::create_directories(disk_ = root_ / "disk");
    fs::create_directories(root_ / "tmp");
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(root_, ignored);
  }

  // A job as the generator writes it: header, prolog, date line, then the commands. Each job
  // ends by checking that the commands left nothing on the operand stack.
  static std::string Job(std::string_view commands) {
    std::string job =
        "%!\n%%Title: prolog test\n%%Creator: TRMSDK 1.9.3\n"
        "%%CreationDate: Sun Dec 06 16:00:00 2026\n%%test notice\n%%EndComments\n\n";
    job.append(trm::JobProlog());
    job.append("\n/DATE (12/06/26 16:00:00) def\n");
    job.append(commands);
    job.append("\ncount 0 ne { operand_stack_not_empty } if\n%EOF\n");
    return job;
  }

  static std::string Load(std::string_view name, std::string_view data, bool hex,
                          std::string_view params = "(P7) true true") {
    std::ostringstream s;
    s << "\n\n"
      << data.size() << " (" << name << ") " << params << " load_file\n"
      << (hex ? Hex(data) : "<~" + Ascii85(data));
    return s.str();
  }

  GsRun Run(std::string_view job, const std::string& device = "nullpage",
            std::string_view preamble = {}) {
    WriteBytes(root_ / "host.ps", "/kmRoot (" + disk_.string() + "/) def\n" +
                                      std::string(kHostPreamble) + std::string(preamble));
    WriteBytes(root_ / "job.ps", job);
    std::string command = "cd '" + root_.string() + "' && TMPDIR='" + (root_ / "tmp").string() +
                          "' gs -q -dBATCH -dNOPAUSE -dSAFER -sDEVICE=" + device;
    if (device == "txtwrite") command += " -sOutputFile=page%d.txt";
    if (device == "png16m") command += " -r40 -sOutputFile=page%d.png";
    command += " '--permit-file-all=" + disk_.string() + "/*' host.ps job.ps >out.txt 2>err.txt";
    GsRun run;
    const int status = std::system(command.c_str());
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadBytes(root_ / "out.txt");
    run.err = ReadBytes(root_ / "err.txt");
    for (const std::string& line : Lines(run.out)) {
      if (line.find('\t') != std::string::npos) run.events.push_back(line);
    }
    return run;
  }

  fs::path Flat(std::string_view name) const {
    std::string flat(name);
    for (char& c : flat) {
      if (c == '/') c = '#';
    }
    return disk_ / flat;
  }
  std::string Stored(std::string_view name) const { return ReadBytes(Flat(name)); }
  // The text of the status pages of a txtwrite run.
  std::string PageText() const {
    std::string text;
    for (int page = 1; fs::exists(root_ / ("page" + std::to_string(page) + ".txt")); ++page) {
      text += ReadBytes(root_ / ("page" + std::to_string(page) + ".txt"));
    }
    return text;
  }
  void Put(std::string_view name, std::string_view data) const { WriteBytes(Flat(name), data); }
  std::vector<std::string> DiskNames() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(disk_)) {
      names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  fs::path root_;
  fs::path disk_;
};

TEST(PrologBlock, HasTheJobLayout) {
  const std::string_view block = trm::JobProlog();
  ASSERT_FALSE(block.empty());
  EXPECT_EQ(block.back(), '\n');
  EXPECT_EQ(block.find('\r'), std::string_view::npos);
  const std::vector<std::string> lines = Lines(block);
  ASSERT_GT(lines.size(), 20u);
  EXPECT_EQ(lines[0], "%!");
  EXPECT_EQ(lines[1].rfind("%%Title: ", 0), 0u);
  EXPECT_NE(lines[1].find("Decentralized Resource Management Prolog"), std::string::npos);
  EXPECT_EQ(lines[2].rfind("%%For: ", 0), 0u);
  EXPECT_EQ(lines[3].rfind("%%CreationDate: ", 0), 0u);
  EXPECT_EQ(lines[4], "%%Version: 1.2");
  EXPECT_EQ(lines[5].rfind("%%", 0), 0u);
  EXPECT_EQ(lines[6].rfind("%%Source: ", 0), 0u);
  EXPECT_EQ(lines[7], "%%EndComments");
  EXPECT_EQ(lines[8], "%%BeginProlog");
  EXPECT_EQ(lines[9], "currentfile eexec");
  const std::size_t n = lines.size();
  EXPECT_EQ(lines[n - 2], "cleartomark");
  EXPECT_EQ(lines[n - 1], "%%EndProlog");
  for (std::size_t i = n - 7; i < n - 2; ++i) EXPECT_EQ(lines[i], std::string(64, '0'));
  // Hex lines: 160 digits each, the last one possibly shorter.
  const std::size_t lastHex = n - 8;
  for (std::size_t i = 10; i <= lastHex; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(lines[i].find_first_not_of("0123456789abcdef"), std::string::npos);
    if (i < lastHex) {
      EXPECT_EQ(lines[i].size(), 160u);
    } else {
      EXPECT_GT(lines[i].size(), 0u);
      EXPECT_LE(lines[i].size(), 160u);
      EXPECT_EQ(lines[i].size() % 2, 0u);
    }
  }
}

TEST(PrologBlock, DeciphersToTheSource) {
  const fs::path source = fs::path(__FILE__).parent_path().parent_path().parent_path() / "trmsdk" /
                          "prolog" / "prolog.ps";
  const std::string plain = ReadBytes(source);
  ASSERT_FALSE(plain.empty()) << source;
  const std::string_view block = trm::JobProlog();
  const std::size_t start = block.find("currentfile eexec\n");
  const std::size_t end = block.find(std::string(64, '0'));
  ASSERT_NE(start, std::string_view::npos);
  ASSERT_NE(end, std::string_view::npos);
  const std::string_view hex = block.substr(start + 18, end - start - 18);
  EXPECT_EQ(Decipher(hex), plain);
  // The code hands the file back at its end and defines only inside userdict.
  EXPECT_NE(plain.find("userdict begin"), std::string::npos);
  EXPECT_NE(plain.find("mark currentfile closefile"), std::string::npos);
}

TEST_F(PrologTest, StoresFilesOfManySizesInBothEncodings) {
  std::map<std::string, std::string> files;
  std::string job;
  int index = 0;
  for (std::size_t size : {1, 2, 3, 4, 5, 8, 9, 511, 512, 513, 70000, 1 << 20}) {
    std::string data;
    for (std::size_t i = 0; i < size; ++i)
      data.push_back(static_cast<char>((i * 131 + size) & 255));
    for (bool hex : {false, true}) {
      const std::string name = "mtbc/mislib/f" + std::to_string(index++) + (hex ? ".hex" : ".a85");
      files[name] = data;
      job += Load(name, data, hex);
    }
  }
  files["mtbc/mislib/empty"] = "";
  job += Load("mtbc/mislib/empty", "", false);
  files["mtbc/mislib/zeros"] = std::string(1000, '\0');
  job += Load("mtbc/mislib/zeros", files["mtbc/mislib/zeros"], false);
  files["mtbc/mislib/bytes.a85"] = AllByteValues();
  job += Load("mtbc/mislib/bytes.a85", AllByteValues(), false);
  files["mtbc/mislib/bytes.hex"] = AllByteValues();
  job += Load("mtbc/mislib/bytes.hex", AllByteValues(), true);

  const GsRun run = Run(Job(job));
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  for (const auto& [name, data] : files) {
    SCOPED_TRACE(name);
    EXPECT_EQ(Stored(name), data);
  }
  EXPECT_EQ(run.events.size(), files.size());
  for (const std::string& event : run.events) EXPECT_EQ(event.rfind("added\t", 0), 0u) << event;
  // No temporary file is left beside the stored ones.
  EXPECT_EQ(DiskNames().size(), files.size());
}

TEST_F(PrologTest, ReplaceWordDecidesAboutExistingFiles) {
  Put("mtbc/formlib/keep.frm", "old keep");
  Put("mtbc/formlib/swap.frm", "old swap");
  const GsRun run = Run(Job(Load("mtbc/formlib/keep.frm", "new keep", false, "(P7) true false") +
                            Load("mtbc/formlib/swap.frm", "new swap", true, "(P7) true true") +
                            Load("mtbc/formlib/fresh.frm", "fresh", false, "(P7) true false") +
                            "\n(after) print flush\n"));
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_EQ(Stored("mtbc/formlib/keep.frm"), "old keep");
  EXPECT_EQ(Stored("mtbc/formlib/swap.frm"), "new swap");
  EXPECT_EQ(Stored("mtbc/formlib/fresh.frm"), "fresh");
  EXPECT_EQ(run.events, (std::vector<std::string>{"kept\tmtbc/formlib/keep.frm",
                                                  "replaced\tmtbc/formlib/swap.frm",
                                                  "added\tmtbc/formlib/fresh.frm"}));
  // The kept file's data was consumed: the job went on after it.
  EXPECT_NE(run.out.find("after"), std::string::npos);
}

TEST_F(PrologTest, ScopedAndReferenceForms) {
  Put("mtbc/gshared/there.frm", "x");
  const GsRun run =
      Run(Job(Load("mtbc/F/P/local.jdt", "local", false, "[0 (F) (P)] (P7) true true") +
              Load("mtbc/F/fshared/shared.jdt", "shared", true, "[1 (F) (P)] (P7) true true") +
              // Reference records come without separators, also after hex data.
              "-1 (mtbc/gshared/there.frm) [2 (F) (P)] (P7) true true load_file" +
              "-1 (mtbc/gshared/gone.frm) [2 (F) (P)] (P7) true false load_file\n"));
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_EQ(Stored("mtbc/F/P/local.jdt"), "local");
  EXPECT_EQ(Stored("mtbc/F/fshared/shared.jdt"), "shared");
  EXPECT_EQ(run.events, (std::vector<std::string>{
                            "added\tmtbc/F/P/local.jdt", "added\tmtbc/F/fshared/shared.jdt",
                            "present\tmtbc/gshared/there.frm", "missing\tmtbc/gshared/gone.frm"}));
  EXPECT_FALSE(fs::exists(Flat("mtbc/gshared/gone.frm")));
}

TEST_F(PrologTest, NamesWithEscapedCharactersArriveExactly) {
  const std::string name = "mtbc/mislib/a (b) \\c\tx\351";
  const GsRun run = Run(Job(Load("mtbc/mislib/a \\(b\\) \\\\c\\tx\\351", "data", false)));
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_EQ(Stored(name), "data");
}

TEST_F(PrologTest, ListAndRemoveFollowTheWildcardRules) {
  for (const char* name :
       {"mtb/src/mtb.eeh", "mtbc/formlib/LOGO.FRM", "mtbc/formlib/b.frm", "mtbc/imglib/c.tif",
        "mtbc/mislib/a*b", "mtbc/mislib/axb", "mtbc/jdtlib/k1.jdt", "mtbc/jdtlib/k2.jdt",
        "mtbc/jdtlib/k9.jdt", "other"}) {
    Put(name, "x");
  }
  const GsRun run = Run(Job(
      "\n(*.frm) (P7) true false list&remove"               // lists across "/"
      "\n(mtbc/mislib/a\\\\*b) (P7) true true list&remove"  // quoted star: only the literal name
      "\n(mtbc/jdtlib/k[^2-3].jdt) (P7) true true list&remove"
      "\n(MTB/SRC/MTB.EEH) (P7) true false list&remove"  // no wildcard: equal when folded
      "\n(mtbc/imglib/?.tif) (P7) false true list&remove"
      "\n(mtbc/formlib/[ab) (P7) true true list&remove\n"));  // unterminated class: nothing
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_EQ(run.events,
            (std::vector<std::string>{"listed\tmtbc/formlib/LOGO.FRM", "listed\tmtbc/formlib/b.frm",
                                      "removed\tmtbc/mislib/a*b", "removed\tmtbc/jdtlib/k1.jdt",
                                      "removed\tmtbc/jdtlib/k9.jdt", "listed\tmtb/src/mtb.eeh",
                                      "removed\tmtbc/imglib/c.tif"}));
  EXPECT_EQ(DiskNames(), (std::vector<std::string>{"mtb#src#mtb.eeh", "mtbc#formlib#LOGO.FRM",
                                                   "mtbc#formlib#b.frm", "mtbc#jdtlib#k2.jdt",
                                                   "mtbc#mislib#axb", "other"}));
}

TEST_F(PrologTest, ProjectFormKeepsTheScopesItsDigitNames) {
  const std::vector<std::string> all = {"mtbc/F/P/a.frm", "mtbc/F/P2/b.frm", "mtbc/F/fshared/c.frm",
                                        "mtbc/G/fshared/d.frm", "mtbc/gshared/e.frm"};
  for (int keep = 0; keep < 4; ++keep) {
    SCOPED_TRACE(keep);
    for (const std::string& name : all) Put(name, "x");
    const GsRun run =
        Run(Job("\n\n[(f) (p) " + std::to_string(keep) + "] (P7) true true list&remove\n"));
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
    std::vector<std::string> expected = {"removed\tmtbc/F/P/a.frm"};
    if ((keep & 1) == 0) expected.push_back("removed\tmtbc/F/fshared/c.frm");
    if ((keep & 2) == 0) expected.push_back("removed\tmtbc/gshared/e.frm");
    std::sort(expected.begin(), expected.end());
    std::vector<std::string> events = run.events;
    std::sort(events.begin(), events.end());
    EXPECT_EQ(events, expected);
    EXPECT_TRUE(fs::exists(Flat("mtbc/F/P2/b.frm")));
    EXPECT_TRUE(fs::exists(Flat("mtbc/G/fshared/d.frm")));
  }
  for (const std::string& name : all) Put(name, "x");
  const GsRun listing = Run(Job("\n[(F) (P) 0] (P7) true false list&remove\nend_list\n"));
  ASSERT_EQ(listing.exitCode, 0) << listing.err;
  EXPECT_EQ(listing.events.size(), 3u);
  EXPECT_TRUE(fs::exists(Flat("mtbc/F/P/a.frm")));
}

TEST_F(PrologTest, EndListPrintsEveryRecordedEntry) {
  for (int i = 0; i < 150; ++i) Put("mtbc/mislib/file" + std::to_string(i), "x");
  // A status word false records nothing for the page; a long list needs several pages.
  const GsRun shortList = Run(Job(Load("mtbc/mislib/quiet", "q", false, "(P7) false true") +
                                  "\n(Printer7) true 0 auto_start\nend_list\n"),
                              "png16m");
  ASSERT_EQ(shortList.exitCode, 0) << shortList.err;
  EXPECT_TRUE(fs::exists(root_ / "page1.png"));
  EXPECT_FALSE(fs::exists(root_ / "page2.png"));
  fs::remove(root_ / "page1.png");

  const GsRun longList =
      Run(Job("\n(mtbc/*) (Printer7) true false list&remove\nend_list\nend_list\n"), "png16m");
  ASSERT_EQ(longList.exitCode, 0) << longList.err;
  EXPECT_EQ(longList.events.size(), 151u);
  // 151 lines at 11 points do not fit on one page; the second end_list prints an empty list.
  EXPECT_TRUE(fs::exists(root_ / "page3.png"));
  EXPECT_TRUE(fs::exists(root_ / "page4.png"));
  EXPECT_FALSE(fs::exists(root_ / "page5.png"));
  EXPECT_GT(fs::file_size(root_ / "page1.png"), fs::file_size(root_ / "page4.png"));
}

TEST_F(PrologTest, AutoStartRecordsTheModeAndNeverFails) {
  GsRun run = Run(Job("\n(P7) true 2 auto_start\n"));
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(Stored("Sys/Start").find("(mtb/src/mtbdep.run) run"), std::string::npos);
  run = Run(Job("\n(P7) true 1 auto_start\n"));
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(Stored("Sys/Start").find("(mtb/src/mtbdep) run"), std::string::npos);
  run = Run(Job("\n(P7) true 0 auto_start\n"));
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_FALSE(fs::exists(Flat("Sys/Start")));
  EXPECT_EQ(run.events, (std::vector<std::string>{"autostart\t0"}));

  // A start file that is not ours stays.
  Put("Sys/Start", "%!PS\n(site start) print\n");
  run = Run(Job("\n(P7) true 0 auto_start\n"));
  ASSERT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(fs::exists(Flat("Sys/Start")));

  // A device without a usable start file, and a mode it does not know: no error.
  run = Run(Job("\n(P7) true 1 auto_start\n(P7) true 7 auto_start\n"), "nullpage",
            "/kmCreate { pop /kmCreate errordict /invalidfileaccess get exec } def\n");
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_EQ(run.events, (std::vector<std::string>{"nostart\t1", "nostart\t7"}));
}

TEST_F(PrologTest, RefusedNamesStoreNothingAndTheJobGoesOn) {
  const GsRun run = Run(
      Job(Load("bad/name", "no", false) + Load("bad/hex", "no", true) + Load("ok", "yes", false)),
      "nullpage",
      "/kmDevName { dup (bad/) anchorsearch { pop pop pop false } "
      "{ pop 47 35 kmSwap kmRoot exch kmCat true } ifelse } def\n");
  ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  EXPECT_EQ(run.events,
            (std::vector<std::string>{"refused\tbad/name", "refused\tbad/hex", "added\tok"}));
  EXPECT_EQ(DiskNames(), std::vector<std::string>{"ok"});
}

// A record whose data did not arrive exactly as sent stores nothing: the old file stays, no
// temporary file is left, and the reason shows in the printer's messages and on the status
// page, printed at once since the job stops there.
TEST_F(PrologTest, DamagedRecordsKeepTheOldFile) {
  std::string data;
  for (int i = 0; i < 3000; ++i) data.push_back(static_cast<char>(i * 7 + i / 251));
  const std::string a85 = Load("mtbc/a", data, false);  // 5 lines of 640 characters, one of 550
  const std::string hex = Load("mtbc/a", data, true);   // 5 lines of 1024 digits, one of 880
  // Where line k of the data starts (after "<~" in ASCII85).
  auto line = [](const std::string& record, int k) {
    std::size_t at = record.find("load_file\n") + 10;
    if (record[at] == '<') at += 2;
    for (int i = 0; i < k; ++i) at = record.find('\n', at) + 1;
    return at;
  };
  auto erase = [](std::string text, std::size_t at, std::size_t n) { return text.erase(at, n); };
  auto insert = [](std::string text, std::size_t at, std::string_view what) {
    return text.insert(at, what);
  };
  auto replace = [](std::string text, std::size_t at, char c) {
    text[at] = c;
    return text;
  };
  auto crlf = [](const std::string& text) {
    std::string out;
    for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
  };
  auto count = [](std::string text, std::string_view to) {
    return text.replace(2, 4, to);  // "\n\n3000 (mtbc/a) ..."
  };
  const std::string trailer = "\nend_list\n%EOF\n";
  const std::size_t a85End = a85.rfind("~>");
  const struct {
    const char* what;
    std::string tail;  // the job from the damaged record on
    const char* reason;
  } cases[] = {
      {"ascii85 line dropped", erase(a85, line(a85, 1), 641) + trailer,
       "data short: 2488 of 3000 bytes arrived"},
      {"ascii85 last character dropped", erase(a85, a85End - 1, 1) + trailer,
       "data short: 2999 of 3000 bytes arrived"},
      {"ascii85 zero group inserted", insert(a85, line(a85, 2), "z") + trailer, "data past length"},
      {"ascii85 character outside the alphabet", replace(a85, line(a85, 0) + 100, 'v') + trailer,
       "bad data: 0 of 3000 bytes arrived"},
      {"ascii85 line ends converted", crlf(a85 + trailer), "no line end after the data"},
      {"ascii85 cut before its end marker", a85.substr(0, a85End), "job cut after the data"},
      {"ascii85 cut inside the data", a85.substr(0, line(a85, 2)),
       "data short: 1024 of 3000 bytes arrived"},
      {"ascii85 data past its length", count(a85, "2999") + trailer, "data past length"},
      {"ascii85 without a length",
       "\n\n0 (mtbc/a) (P7) true true load_file\n" + Ascii85(data) + trailer, "no length"},
      // The trailer's "e", "d", "E" and "F" are taken for digits of the missing line.
      {"hex line dropped", erase(hex, line(hex, 1), 1025) + trailer, "data short: "},
      {"hex G in the first line", replace(hex, line(hex, 0) + 10, 'G') + trailer,
       "bad data: 2999 of 3000 bytes arrived"},
      {"hex digit dropped", erase(hex, line(hex, 0) + 10, 1) + trailer,
       "bad data: 2999 of 3000 bytes arrived"},
      {"hex digit inserted", insert(hex, line(hex, 0) + 10, "A") + trailer, "data past length"},
      {"hex line ends converted", crlf(hex + trailer), "bad data: "},
      {"hex data past its length", count(hex, "2999") + trailer, "data past length"},
      {"hex cut inside the data", hex.substr(0, line(hex, 2)),
       "data short: 1024 of 3000 bytes arrived"},
      // A one-byte record has nothing after its first two digits.
      {"hex one byte with a digit too many",
       "\n\n1 (mtbc/a) (P7) true true load_file\n41A" + trailer, "data past length"},
      {"hex one byte cut", "\n\n1 (mtbc/a) (P7) true true load_file\n4",
       "data short: 0 of 1 bytes arrived"},
      {"hex opening with a non-digit", insert(hex, line(hex, 0), "<") + trailer,
       "bad data: 0 of 3000 bytes arrived"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Put("mtbc/a", "old");
    fs::remove(Flat("mtbc/first"));
    for (int page = 1; page < 4; ++page)
      fs::remove(root_ / ("page" + std::to_string(page) + ".txt"));
    std::string job = Job("");
    job.erase(job.find("\ncount 0 ne"));  // the damaged record ends the job
    const GsRun run = Run(job + Load("mtbc/first", "first", false) + c.tail, "txtwrite");
    const std::string reason = std::string("mtbc/a: ") + c.reason;
    EXPECT_NE(run.exitCode, 0);
    EXPECT_NE(run.out.find("%%[ load_file failed: " + reason), std::string::npos) << run.out;
    EXPECT_NE((run.out + run.err).find("Error: /ioerror in /load_file"), std::string::npos);
    EXPECT_EQ(run.events, (std::vector<std::string>{"added\tmtbc/first", "failed\tmtbc/a"}));
    EXPECT_EQ(Stored("mtbc/a"), "old");
    EXPECT_EQ(Stored("mtbc/first"), "first");
    EXPECT_EQ(DiskNames(), (std::vector<std::string>{"mtbc#a", "mtbc#first"}));
    // The page lists what the job did before, then the failure with its reason.
    const std::string page = PageText();
    const std::size_t added = page.find("added");
    const std::size_t failed = page.find("failed");
    ASSERT_NE(failed, std::string::npos) << page;
    EXPECT_LT(added, failed) << page;
    EXPECT_NE(page.find("mtbc/first", added), std::string::npos) << page;
    EXPECT_NE(page.find(reason, failed), std::string::npos) << page;
  }
}

}  // namespace
