// The interpreter jobs and the texts they store: install, uninstall, start-up, the built-in image's
// records, the run and entry files and how they are scanned, the folder listing and the
// printer-name rule.

#include <sys/stat.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "generator_fixture.h"
#include "interpreter/builtin_image.h"
#include "interpreter/folder_listing.h"
#include "interpreter/interpreter_file_name.h"
#include "interpreter/interpreter_texts.h"
#include "interpreter/run_file_scanner.h"

namespace trm_test {
namespace {

using Strings = std::vector<std::string>;

bool Has(std::string_view text, std::string_view part) {
  return Count(text, part) > 0;
}

class InterpreterJobs : public GeneratorTest {
 protected:
  // Runs one job; the job text, or empty when none was left.
  std::string Run(int (*job)(const trmIOS*, const trmVOS*), unsigned flags, int expected = TRM_OK,
                  const std::string& folder = {}) {
    trmIOSSetFlags(ios_.get(), flags);
    trmIOSSetStatusLabel(ios_.get(), "P7");
    if (!folder.empty()) trmIOSSetLocalKORADir(ios_.get(), folder.c_str());
    trmVOSSetOutputPath(vos_.get(), Output().c_str());
    trmVOSSetFlags(vos_.get(), TRM_FLAG_REPLACE);
    EXPECT_EQ(job(ios_.get(), vos_.get()), expected) << trmGetLastMessage();
    return fs::exists(Output()) ? ReadFile(Output()) : std::string();
  }

  const std::unique_ptr<trmIOS, int (*)(trmIOS*)> ios_{trmNewIOS(), &trmFreeIOS};
  const std::unique_ptr<trmVOS, int (*)(trmVOS*)> vos_{trmNewVOS(), &trmFreeVOS};
};

// The image's files land on the printer byte for byte in the simulator; here its version.
TEST(BuiltinImage, StartsWithItsVersion) {
  const std::string version = trmGetBuiltinKORAVersion();
  EXPECT_FALSE(version.empty());
  EXPECT_EQ(version.find_first_of("\r\n"), std::string::npos);
  ASSERT_GE(trm::BuiltinImageFiles().size(), 47u);
  EXPECT_EQ(trm::BuiltinImageFiles()[0].printerName, "mtb/VER");
  EXPECT_TRUE(trm::BuiltinImageFiles()[0].bytes.starts_with(version));
  EXPECT_NE(trm::FindBuiltinImageFile("mtb/src/mtb.eeh"), nullptr);
  EXPECT_EQ(trm::FindBuiltinImageFile("mtb/src/none"), nullptr);
}

TEST_F(InterpreterJobs, StoredTextsHoldTheirDecisiveLines) {
  const std::string paths = trm::PathSettingsText();
  const struct {
    const char* directive;
    std::size_t folders;
  } lists[] = {{"SETFPATH", 3}, {"SETIPATH", 3}, {"SETJPATH", 3},
               {"SETEPATH", 2}, {"SETMPATH", 7}, {"SETPPATH", 6}};
  std::size_t at = 0;
  for (const auto& list : lists) {
    const std::size_t open = paths.find("[ (", at);
    const std::size_t close = paths.find(std::string("] ") + list.directive + "\n\n", at);
    ASSERT_TRUE(open < close && close != std::string::npos) << list.directive;
    EXPECT_EQ(Count(paths.substr(open, close - open), ")\t"), list.folders) << list.directive;
    at = close + 1;
  }

  // What each text does on the printer is proven by the simulator; here what varies.
  const std::string run = trm::RunFileText(nullptr, true);
  EXPECT_TRUE(
      InOrder(run, {"(mtb/src/mtb.eeh) run", "(mtb/src/kora.vsm) run", "\n\n" + paths, "SPOOLNAME",
                    "(mtb/src/mtb.gep) run", "(mtb/src/kora.lmi) run", "\nend\t"}));
  EXPECT_FALSE(Has(trm::RunFileText(nullptr, false), "kora.lmi"));
  const Strings local = {"/k/src/mtb.eeh", "/k/src/a.ps", "d:/k/src/b.ps"};
  const std::string localRun = trm::RunFileText(&local, false);
  EXPECT_TRUE(Has(localRun, "\n\n(mtb/src/a.ps) run\n(mtb/src/b.ps) run\nend\t"));
  EXPECT_EQ(Count(localRun, "(mtb/src/mtb.eeh) run"), 1u);
  EXPECT_FALSE(Has(localRun, "mtb.gep"));
  EXPECT_TRUE(InOrder(trm::DepEntryFileText(""),
                      {"%%Title: trmMTBDEP\n", "/MTBENTRY { [ (mtb/src/mtbdep.run) ",
                       "(mtb/errorh.ps) status {pop pop pop pop (mtb/errorh.ps) run} if\n"}));
}

TEST_F(InterpreterJobs, LocalEntryFileIsAdaptedOrReplaced) {
  const fs::path k = Path("kora");
  const std::string own =
      "/MTBENTRY { [ (c:/kora/src/mtbdos.run) /run cvx 3 index cvx ] cvx def } def\n"
      "(c:/kora/src/mtbdos.run) pop\n%%EndSetup\n";
  WriteFile(k / "src/mtbdos", own);
  const std::string adapted =
      "/MTBENTRY { [ (mtb/src/mtbdep.run) /run cvx 3 index cvx ] cvx def } def\n"
      "(mtb/src/mtbdep.run) pop\n";
  EXPECT_EQ(trm::DepEntryFileText(k.string() + "/"),
            adapted + "(mtb/errorh.ps) dup status exch pop {pop pop pop run} if\n%%EndSetup\n");
  WriteFile(k / "src/mtbdos", own + "% errorh.ps\n");  // brings its own error handler
  EXPECT_EQ(trm::DepEntryFileText(k.string() + "/"), adapted + "%%EndSetup\n% errorh.ps\n");
  // No "/run" command: the generated file.
  WriteFile(k / "src/mtbdos", "(x.ps) run\n");
  EXPECT_TRUE(Has(trm::DepEntryFileText(k.string() + "/"), "%%Title: trmMTBDEP"));
}

TEST_F(InterpreterJobs, FolderListingTakesRegularFilesOnly) {
  const fs::path folder = Path("kora/encoding");
  WriteFile(folder / "win1252", "a");
  WriteFile(folder / "utf8", "b");
  WriteFile(folder / "genericss.afk", "c");
  WriteFile(folder / "sub/inner", "d");
  WriteFile(Path("outside"), "e");
  fs::create_symlink(Path("outside"), folder / "link");
  ASSERT_EQ(mkfifo((folder / "fifo").c_str(), 0600), 0);
  Strings all = trm::ListFolderFiles(folder.string());
  std::sort(all.begin(), all.end());
  EXPECT_EQ(all, (Strings{"genericss.afk", "utf8", "win1252"}));
  EXPECT_EQ(trm::ListFolderFiles(folder.string(), {"*.AFK", "utf8"}), Strings{"win1252"});
  EXPECT_TRUE(trm::ListFolderFiles(Path("none").string()).empty());
}

TEST_F(InterpreterJobs, PrinterNamesStayInsideTheInstallation) {
  const struct {
    const char* path;
    const char* folder;
    const char* name;  // null: refused
  } cases[] = {{"/k/src/x.ps", "/k/", "mtb/src/x.ps"},
               {"//k//src//x.ps", "/k/", "mtb/src/x.ps"},
               {"/K/Src/x.ps", "/k", "mtb/Src/x.ps"},
               {"/k/src/./y/../x.ps", "/k/", "mtb/src/x.ps"},
               {"/k/../etc/passwd", "/k/", nullptr},
               {"/k/src/../../x", "/k/", nullptr},
               {"/kx/src/x.ps", "/k/", nullptr},
               {"/other/x.ps", "/k/", nullptr},
               {"/k/", "/k/", nullptr},
               {"d:/k/src/x.ps", "/k/", nullptr}};
  for (const auto& c : cases) {
    const auto name = trm::InterpreterPrinterName(c.path, c.folder);
    EXPECT_EQ(name.value_or("(refused)"), c.name ? c.name : "(refused)") << c.path;
  }
}

TEST_F(InterpreterJobs, InstallWritesItsStepsInOrder) {
  // No installation folder: the built-in image, whatever flag 0x4 says.
  const std::string resident =
      Run(trmInstallKORA,
          TRM_IOS_AUTO_START | TRM_IOS_RESIDENT | TRM_IOS_ERROR_HANDLER | TRM_FLAG_STATUS_PAGE);
  const std::string tail = "\n(P7) true 2 auto_start\nend_list\nfalse () startjob pop\n%EOF";
  EXPECT_TRUE(InOrder(
      resident,
      {"%%Title: trmInstallKORA\n",
       "\ntrue () startjob pop\ncurrentsystemparams /StartupMode known\n"
       "  { << /StartupMode 1 >> setsystemparams } if\n%!\n",
       "\n/DATE (", "(mtb/src/mtbdep) (P7) true true load_file\n<~",
       "(mtb/src/mtbdep.run) (P7) true true load_file\n<~", std::string(trm::BuiltinImageRecords()),
       "(mtb/errorh.ps) (P7) true true load_file\n<~",
       "\n\n8 (mtb/devicetype) (P7) true true load_file\n<~06D5OF(B%n~>\n" + tail}));
  EXPECT_TRUE(resident.ends_with(tail));
  EXPECT_FALSE(Has(resident, "kora.lmi"));

  const std::string plain = Run(trmInstallKORA, TRM_IOS_BUILTIN | TRM_FLAG_HEX);
  for (const char* absent : {"StartupMode", "(mtb/errorh.ps) (P7)", "\nend_list"}) {
    EXPECT_FALSE(Has(plain, absent)) << absent;
  }
  EXPECT_TRUE(Has(plain, "\n\n8 (mtb/devicetype) (P7) false true load_file\n2F74726D73646B0A"));
  EXPECT_TRUE(plain.ends_with("\n(P7) false 0 auto_start\nfalse () startjob pop\n%EOF"));
  EXPECT_TRUE(Has(Run(trmInstallKORA, TRM_IOS_AUTO_START), "(P7) false 1 auto_start"));
  EXPECT_TRUE(Has(Run(trmInstallKORA, TRM_IOS_LUMEN), std::string(trm::BuiltinImageRecords()) +
                                                          std::string(trm::BuiltinLumenRecords()) +
                                                          "\n\n8 (mtb/devicetype)"));
}

TEST_F(InterpreterJobs, InstallFailuresNameTheFileAndLeaveNothing) {
  const fs::path k = Path("kora");
  fs::create_directories(k / "src/dir.ps");
  WriteFile(k / "src/empty.ps", "");
  WriteFile(Path("secret"), "not to be sent");
  fs::create_symlink(Path("secret"), k / "src/link.ps");
  const std::string K = k.string();
  const struct {
    std::string runFile;  // replaces src/mtbdos.run; "" removes it
    int code;
    std::string detail;
  } cases[] = {
      {"", TRM_PARSE_PROBLEM, K + "/src/mtbdos.run"},
      {"(a.ps) pop\n", TRM_PARSE_PROBLEM, K + "/src/mtbdos.run"},
      {"(/elsewhere/x.ps) run\n", TRM_PATH_CONVERSION, "/elsewhere/x.ps"},
      {"(" + K + "/src/link.ps) run\n", TRM_PATH_CONVERSION, K + "/src/link.ps"},
      {"(" + K + "/src/none.ps) run\n", TRM_SOURCE_MISSING, K + "/src/none.ps"},
      {"(" + K + "/src/empty.ps) run\n", TRM_SOURCE_SIZE, K + "/src/empty.ps"},
      {"(" + K + "/src/dir.ps) run\n", TRM_SOURCE_UNREADABLE, K + "/src/dir.ps: is a folder"},
  };
  for (const auto& c : cases) {
    fs::remove(k / "src/mtbdos.run");
    if (!c.runFile.empty()) WriteFile(k / "src/mtbdos.run", c.runFile);
    EXPECT_EQ(Run(trmInstallKORA, 0, c.code, K), "") << c.runFile;
    EXPECT_EQ(trmGetLastDetail(), c.detail) << c.runFile;
    EXPECT_TRUE(NothingWritten()) << c.runFile;
  }
}

TEST_F(InterpreterJobs, UninstallAndStartupFollowTheirFlags) {
  const std::string uninstall = "%%Title: trmUninstallKORA\n";
  const std::string head = "%%EndComments\n\n\ntrue () startjob pop\n%!\n";
  const struct {
    unsigned flags;
    std::string end;
  } rows[] = {
      {0, ") def\n\nfalse () startjob pop\n%EOF"},
      {TRM_IOS_REMOVE_INTERPRETER | TRM_IOS_REMOVE_CUSTOMER | TRM_FLAG_STATUS_PAGE,
       ") def\n\n\n(mtbc/*) (P7) true true list&remove\n\n(mtb/*) (P7) true true list&remove\n(P7) "
       "true 0 auto_start\nend_list\nfalse () startjob pop\n%EOF"},
      {TRM_IOS_REMOVE_CUSTOMER,
       ") def\n\n\n(mtbc/*) (P7) false true list&remove\nfalse () startjob pop\n%EOF"},
  };
  for (const auto& row : rows) {
    const std::string job = Run(trmUninstallKORA, row.flags);
    EXPECT_TRUE(InOrder(job, {uninstall, head})) << row.flags;
    EXPECT_TRUE(job.ends_with(row.end)) << row.flags << "\n" << job;
  }
  // No prolog: nothing but the start.
  EXPECT_TRUE(Run(trmStartupKORA, 0)
                  .ends_with("%%EndComments\n\ntrue () startjob pop\n(mtb/src/mtbdep) run\n"
                             "false () startjob pop\n%EOF"));
  // The simulator proves what the status page shows; here where it stands.
  const std::string page = Run(trmStartupKORA, TRM_IOS_RESIDENT | TRM_FLAG_STATUS_PAGE);
  EXPECT_TRUE(
      InOrder(page, {"(mtb/src/mtbdep.run) run\nfalse () startjob pop\nPORT\n1100 1775 MOVETO\n",
                     "SCALL\n} ENDIF\nPAGEBRK\n%EOF"}));
  EXPECT_TRUE(page.ends_with("PAGEBRK\n%EOF"));
}

trm::RunFileCommands Scan(const std::string& text, std::string_view keyword = "run",
                          bool all = true, bool convert = true) {
  trm::RunFileScanner scanner({keyword, all, convert});
  scanner.Feed(text);
  return scanner.Result();
}

TEST(RunFileScanner, CollectsTheStringsOfTheKeywordsCommands) {
  const struct {
    std::string text;
    Strings files;
    bool found;
  } cases[] = {
      {"(x.ps) run % the prolog\n", {"x.ps"}, true},
      {"[(a.ps) (b.ps)] run\r\n[ (c.ps)\n(a.ps) ] run", {"a.ps", "b.ps", "c.ps"}, true},
      {"(a.ps) pop\n", {}, false},
      {"(%os%/d/k/src/y.ps) run", {"d:/k/src/y.ps"}, true},
      {"(%os%\\d\\k) run", {"d:/k"}, true},
      {"% (commented.ps) run\n(n\\)ame (x).ps) run", {"n\\)ame (x).ps"}, true},
      {"(a.ps)\nrun", {"a.ps"}, true},  // a line end is a blank
      {"(a.ps) runner (b.ps) run{", {"b.ps"}, true},
      {"[] run", {}, true},
      {"(unclosed run\n) run", {"unclosed run "}, true},  // the line's end is in the string
  };
  for (const auto& c : cases) {
    const trm::RunFileCommands result = Scan(c.text);
    EXPECT_EQ(result.files, c.files) << c.text;
    EXPECT_EQ(result.found, c.found) << c.text;
  }
  // The entry file's own command: no conversion, the first match only.
  EXPECT_EQ(Scan("(%os%/e) /run (b) /run", "/run", false, false).files, Strings{"%os%/e"});
  EXPECT_EQ(Scan("(a) run (b) /run", "/run", false, false).files, Strings{"b"});
}

TEST_F(InterpreterJobs, RunFileScannerReadsWindowsThatOverlapAcrossTheirEdges) {
  // A command that a 64 KiB window cuts in two; the next window, 1 KiB earlier, holds it whole.
  std::string text(65536 - 8, ' ');
  text += "\n(cut.ps) run\n";
  text += std::string(70000, 'x') + "\n(late.ps) run\n";
  const fs::path path = Path("mtbdos.run");
  WriteFile(path, text);
  trm::RunFileCommands result;
  ASSERT_TRUE(trm::ScanRunFile(path.string(), {"run", true, true}, result));
  EXPECT_EQ(result.files, (Strings{"cut.ps", "late.ps"}));
  ASSERT_TRUE(trm::ScanRunFile(path.string(), {"run", false, true}, result));
  EXPECT_EQ(result.files, Strings{"cut.ps"});
  EXPECT_FALSE(trm::ScanRunFile(Path("none").string(), {"run", true, true}, result));
  EXPECT_FALSE(trm::ScanRunFile(Path("").string(), {"run", true, true}, result));
  EXPECT_TRUE(result.files.empty());
}

}  // namespace
}  // namespace trm_test
