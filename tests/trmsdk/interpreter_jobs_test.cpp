// The interpreter jobs and the texts they store: install, uninstall, start-up, the built-in
// image's records, the run and entry files, the folder listing and the printer-name rule.

#include <sys/stat.h>

#include <algorithm>
#include <span>
#include <string>
#include <vector>

#include "encoding/hex.h"
#include "generator_fixture.h"
#include "interpreter/builtin_image.h"
#include "interpreter/folder_listing.h"
#include "interpreter/interpreter_file_name.h"
#include "interpreter/interpreter_texts.h"
#include "stream/job_text.h"

namespace trm_test {
namespace {

using Strings = std::vector<std::string>;

bool Has(const std::string& text, std::string_view part) {
  return text.find(part) != std::string::npos;
}

std::size_t Count(const std::string& text, std::string_view part) {
  std::size_t n = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++n;
  }
  return n;
}

class InterpreterJobs : public GeneratorTest {
 protected:
  void TearDown() override {
    trmFreeIOS(ios_);
    trmFreeVOS(vos_);
    GeneratorTest::TearDown();
  }
  // Runs one job; the job text, or empty when none was left.
  std::string Run(int (*job)(const trmIOS*, const trmVOS*), unsigned flags, int expected = TRM_OK,
                  const std::string& folder = {}) {
    trmIOSSetFlags(ios_, flags);
    trmIOSSetStatusLabel(ios_, "P7");
    if (!folder.empty()) trmIOSSetLocalKORADir(ios_, folder.c_str());
    trmVOSSetOutputPath(vos_, Output().c_str());
    trmVOSSetFlags(vos_, TRM_FLAG_REPLACE);
    EXPECT_EQ(job(ios_, vos_), expected) << trmGetLastMessage();
    return fs::exists(Output()) ? ReadFile(Output()) : std::string();
  }
  // A local installation with a run file naming the prolog and one module.
  std::string Installation() {
    const fs::path k = Path("kora");
    WriteFile(k / "src/mtbdos.run", "(" + (k / "src/mtb.eeh").string() + ") run % prolog\n[(" +
                                        (k / "src/mtb.ddg").string() + ")] run\n");
    for (const char* name : {"src/mtb.eeh", "src/mtb.ddg", "encoding/utf8", "imglib/KORAins.tif",
                             "imglib/nlogo.tif", "formlib/mtblogo.seg", "formlib/mtblogb.seg"}) {
      WriteFile(k / name, std::string("bytes of ") + name);
    }
    return k.string();
  }

  trmIOS* ios_ = trmNewIOS();
  trmVOS* vos_ = trmNewVOS();
};

TEST_F(InterpreterJobs, BuiltinRecordsReadAsTheJobWriterWritesThem) {
  std::string expected;
  std::string lumen;
  for (const trm::ImageFile& file : trm::BuiltinImageFiles()) {
    const std::span<const unsigned char> bytes(
        reinterpret_cast<const unsigned char*>(file.bytes.data()), file.bytes.size());
    const std::string record = trm::LoadFileCommand(static_cast<long long>(bytes.size()),
                                                    file.printerName, "() true true") +
                               trm::EncodeHex(bytes, 0, 512);
    (file.printerName == "mtb/src/kora.lmi" ? lumen : expected) += record;
  }
  EXPECT_EQ(trm::BuiltinImageRecords(), expected);
  EXPECT_EQ(trm::BuiltinLumenRecords(), lumen);
  ASSERT_GE(trm::BuiltinImageFiles().size(), 47u);
  EXPECT_EQ(trm::BuiltinImageFiles()[0].printerName, "mtb/VER");
  const trm::ImageFile* ver = trm::FindBuiltinImageFile("mtb/VER");
  ASSERT_NE(ver, nullptr);
  const std::string version = trmGetBuiltinKORAVersion();
  EXPECT_FALSE(version.empty());
  EXPECT_EQ(version.find_first_of("\r\n"), std::string::npos);
  EXPECT_EQ(ver->bytes.substr(0, version.size()), version);
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
  EXPECT_TRUE(Has(paths, "[ (mtbc/formlib/)\t\t\t\t% customer path for forms & segments\n"));
  EXPECT_TRUE(Has(paths, "  ()\t\t\t\t\t\t% null path for full names\n"));
  EXPECT_TRUE(Has(paths, "  (mtbc/$$FOLDER./fshared/)\t\t\t% project folder shared paths\n"));

  const std::string run = trm::RunFileText(nullptr, true);
  EXPECT_TRUE(Has(run, "%%Title: KORA link file for DEP printer (mtbdep.run)\n"));
  EXPECT_TRUE(Has(run,
                  "(mtb/src/mtb.eeh) run\t% run mtb prolog\n(mtb/src/kora.vsm) run\t% run "
                  "Tessel Interpreter Services Module\n\n"));
  EXPECT_TRUE(Has(run, "\n\n" + paths + "% Warning!!"));
  EXPECT_TRUE(Has(run,
                  "(mtb/mtbspool) SPOOLNAME\t% MTB spoolfile full name\n\n"
                  "(mtb/src/mtb.gep) run\t% run predefined colour keys and GEP keys\n"));
  EXPECT_TRUE(
      run.ends_with("(mtb/src/mtb.bat) run\t% run predefined BAT keys\n"
                    "(mtb/src/kora.lmi) run\t% run Lumen imaging resources\n"
                    "end\t\t\t\t\t\t% mandatory (remove MTBdict from dict stack)\n"));
  EXPECT_FALSE(Has(trm::RunFileText(nullptr, false), "kora.lmi"));
  const Strings local = {"/k/src/mtb.eeh", "/k/src/a.ps", "d:/k/src/b.ps"};
  const std::string localRun = trm::RunFileText(&local, false);
  EXPECT_TRUE(Has(localRun, "\n\n(mtb/src/a.ps) run\n(mtb/src/b.ps) run\nend\t"));
  EXPECT_EQ(Count(localRun, "(mtb/src/mtb.eeh) run"), 1u);
  EXPECT_FALSE(Has(localRun, "mtb.gep"));

  const std::string entry = trm::DepEntryFileText("");
  EXPECT_TRUE(Has(entry, "%%Title: trmMTBDEP\n"));
  EXPECT_TRUE(Has(entry,
                  "%%BeginSetup\nuserdict begin\n/MTBENTRY { [ (mtb/src/mtbdep.run) /run "
                  "cvx 3 index cvx ] cvx def } bind def\n/PORT MTBENTRY"));
  EXPECT_EQ(Count(entry, " MTBENTRY"), 47u);
  EXPECT_TRUE(Has(entry, "/MTB MTBENTRY                   /SETPROJECT MTBENTRY\n"));
  EXPECT_TRUE(
      entry.ends_with("/MAKEVMFORM MTBENTRY            /EKORA MTBENTRY\n/SETPARAMS MTBENTRY\nend\n"
                      "(mtb/errorh.ps) status {pop pop pop pop (mtb/errorh.ps) run} if\n"
                      "%%EndSetup\n"));

  const std::string handler(trm::ErrorHandlerText());
  EXPECT_TRUE(handler.starts_with(
      "%!PS\n%%Title: PostScript error handler\n%%Version: 1.0\n%%EndComment\n"));
  for (const char* part : {"/ERRBUF 50 string def", "errordict /handleerror {", "erasepage",
                           "/Courier findfont 14 scalefont", "30 740 moveto (Error: ) show",
                           "30 710 moveto (Operand stack:)", "20 sub", "200 ERRY moveto",
                           "showpage", "/newerror false def", "flush clear"}) {
    EXPECT_TRUE(Has(handler, part)) << part;
  }
}

TEST_F(InterpreterJobs, LocalEntryFileIsAdaptedOrReplaced) {
  const fs::path k = Path("kora");
  const std::string own =
      "/MTBENTRY { [ (c:/kora/src/mtbdos.run) /run cvx 3 index cvx ] cvx def } def\n"
      "(c:/kora/src/mtbdos.run) pop\n%%EndSetup\n";
  WriteFile(k / "src/mtbdos", own);
  EXPECT_EQ(trm::DepEntryFileText(k.string() + "/"),
            "/MTBENTRY { [ (mtb/src/mtbdep.run) /run cvx 3 index cvx ] cvx def } def\n"
            "(mtb/src/mtbdep.run) pop\n"
            "(mtb/errorh.ps) dup status exch pop {pop pop pop run} if\n%%EndSetup\n");
  WriteFile(k / "src/mtbdos", own + "% errorh.ps\n");
  EXPECT_TRUE(trm::DepEntryFileText(k.string() + "/").ends_with("%%EndSetup\n% errorh.ps\n"));
  WriteFile(k / "src/mtbdos", "(x.ps) run\n");  // no "/run" command: the generated file
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
  } cases[] = {
      {"/k/src/x.ps", "/k/", "mtb/src/x.ps"},
      {"//k//src//x.ps", "/k/", "mtb/src/x.ps"},
      {"/K/Src/x.ps", "/k", "mtb/Src/x.ps"},
      {"/k/src/./y/../x.ps", "/k/", "mtb/src/x.ps"},
      {"/k/../etc/passwd", "/k/", nullptr},
      {"/k/src/../../x", "/k/", nullptr},
      {"/kx/src/x.ps", "/k/", nullptr},
      {"/other/x.ps", "/k/", nullptr},
      {"/k/", "/k/", nullptr},
      {"d:/k/src/x.ps", "/k/", nullptr},
  };
  for (const auto& c : cases) {
    const auto name = trm::InterpreterPrinterName(c.path, c.folder);
    if (c.name) {
      EXPECT_EQ(name.value_or("(refused)"), c.name) << c.path;
    } else {
      EXPECT_FALSE(name) << c.path << " gave " << *name;
    }
  }
}

TEST_F(InterpreterJobs, InstallWritesItsStepsInOrder) {
  // No installation folder: the built-in image, whatever flag 0x4 says.
  const std::string resident =
      Run(trmInstallKORA,
          TRM_IOS_AUTO_START | TRM_IOS_RESIDENT | TRM_IOS_ERROR_HANDLER | TRM_FLAG_STATUS_PAGE);
  const std::vector<std::string_view> steps = {
      "%%Title: trmInstallKORA\n",
      "\ntrue () startjob pop\ncurrentsystemparams /StartupMode known\n"
      "  { << /StartupMode 1 >> setsystemparams } if\n%!\n",
      "\n/DATE (",
      "(mtb/src/mtbdep) (P7) true true load_file\n<~",
      "(mtb/src/mtbdep.run) (P7) true true load_file\n<~",
      trm::BuiltinImageRecords(),
      "(mtb/errorh.ps) (P7) true true load_file\n<~",
      "\n\n8 (mtb/devicetype) (P7) true true load_file\n<~06D5OF(B%n~>\n",
      "\n(P7) true 2 auto_start\nend_list\nfalse () startjob pop\n%EOF"};
  std::size_t at = 0;
  for (std::string_view step : steps) {
    const std::size_t found = resident.find(step, at);
    ASSERT_NE(found, std::string::npos) << step.substr(0, 60);
    at = found + step.size();
  }
  EXPECT_EQ(at, resident.size());
  EXPECT_FALSE(Has(resident, "kora.lmi"));

  const std::string plain = Run(trmInstallKORA, TRM_IOS_BUILTIN | TRM_FLAG_HEX);
  EXPECT_FALSE(Has(plain, "StartupMode"));
  EXPECT_FALSE(Has(plain, "(mtb/errorh.ps) (P7)") || Has(plain, "\nend_list"));
  EXPECT_TRUE(Has(plain, "\n\n8 (mtb/devicetype) (P7) false true load_file\n2F74726D73646B0A"));
  EXPECT_TRUE(plain.ends_with("\n(P7) false 0 auto_start\nfalse () startjob pop\n%EOF"));
  EXPECT_TRUE(Has(Run(trmInstallKORA, TRM_IOS_AUTO_START), "(P7) false 1 auto_start"));

  const std::string lumen = Run(trmInstallKORA, TRM_IOS_LUMEN);
  EXPECT_TRUE(Has(lumen, std::string(trm::BuiltinImageRecords()) +
                             std::string(trm::BuiltinLumenRecords()) + "\n\n8 (mtb/devicetype)"));
}

TEST_F(InterpreterJobs, InstallFailuresNameTheFileAndLeaveNothing) {
  const std::string k = Installation();
  const struct {
    const char* runFile;  // replaces src/mtbdos.run; "" removes it
    const char* extra;    // a file made for the case
    int code;
    std::string detail;
  } cases[] = {
      {"", "", TRM_PARSE_PROBLEM, k + "/src/mtbdos.run"},
      {"(a.ps) pop\n", "", TRM_PARSE_PROBLEM, k + "/src/mtbdos.run"},
      {"(/elsewhere/x.ps) run\n", "", TRM_PATH_CONVERSION, "/elsewhere/x.ps"},
      {"(@/src/link.ps) run\n", "link", TRM_PATH_CONVERSION, k + "/src/link.ps"},
      {"(@/src/none.ps) run\n", "", TRM_SOURCE_MISSING, k + "/src/none.ps"},
      {"(@/src/empty.ps) run\n", "empty", TRM_SOURCE_SIZE, k + "/src/empty.ps"},
      {"(@/src/dir.ps) run\n", "dir", TRM_SOURCE_UNREADABLE, k + "/src/dir.ps: is a folder"},
  };
  WriteFile(Path("secret"), "not to be sent");
  fs::create_symlink(Path("secret"), k + "/src/link.ps");
  WriteFile(k + "/src/empty.ps", "");
  fs::create_directories(k + "/src/dir.ps");
  for (const auto& c : cases) {
    std::string run = c.runFile;
    if (const std::size_t at = run.find('@'); at != std::string::npos) run.replace(at, 1, k);
    if (run.empty()) {
      fs::remove(k + "/src/mtbdos.run");
    } else {
      WriteFile(k + "/src/mtbdos.run", run);
    }
    fs::remove(Output());
    EXPECT_EQ(Run(trmInstallKORA, 0, c.code, k), "") << c.runFile;
    EXPECT_EQ(trmGetLastDetail(), c.detail) << c.runFile;
    EXPECT_TRUE(fs::is_empty(Path("out"))) << c.runFile;
  }
}

TEST_F(InterpreterJobs, UninstallAndStartupFollowTheirFlags) {
  const std::string none = Run(trmUninstallKORA, 0);
  EXPECT_TRUE(Has(none, "%%Title: trmUninstallKORA\n"));
  EXPECT_TRUE(Has(none, "%%EndComments\n\n\ntrue () startjob pop\n%!\n"));
  EXPECT_TRUE(none.ends_with(") def\n\nfalse () startjob pop\n%EOF"));

  const std::string both =
      Run(trmUninstallKORA,
          TRM_IOS_REMOVE_INTERPRETER | TRM_IOS_REMOVE_CUSTOMER | TRM_FLAG_STATUS_PAGE);
  EXPECT_TRUE(
      both.ends_with(") def\n\n\n(mtbc/*) (P7) true true list&remove"
                     "\n\n(mtb/*) (P7) true true list&remove"
                     "\n(P7) true 0 auto_start\nend_list\nfalse () startjob pop\n%EOF"));
  EXPECT_TRUE(Run(trmUninstallKORA, TRM_IOS_REMOVE_CUSTOMER)
                  .ends_with(") def\n\n\n(mtbc/*) (P7) false true list&remove"
                             "\nfalse () startjob pop\n%EOF"));

  const std::string start = Run(trmStartupKORA, 0);
  EXPECT_TRUE(
      start.ends_with("%%EndComments\n\ntrue () startjob pop\n(mtb/src/mtbdep) run\n"
                      "false () startjob pop\n%EOF"));
  EXPECT_FALSE(Has(start, "load_file"));  // no prolog
  const std::string page = Run(trmStartupKORA, TRM_IOS_RESIDENT | TRM_FLAG_STATUS_PAGE);
  for (const char* line :
       {"(mtb/src/mtbdep.run) run\nfalse () startjob pop\nPORT\n1100 1775 MOVETO\n",
        "(Tessel Compose) SH [1847 B_D1] MOVEH MTBVER SHr NL\n(KORA DDG) SH [1847 B_D1] MOVEH\n",
        "(KORA USPS4CB) SH [1847 B_D1] MOVEH\n\tIF (USPS4CB) ($$.) VSUB3 (4CBVER) eq\n"
        "\t{ (Not enabled) SHr } ELSE { 4CBVER SHr } ENDIF NL\n",
        "IF (tesselstamp.seg) /seg EXIST\n{\n\t1071 272 MOVETO\n\t(tesselstamp.seg) CACHE .7 "
        "SCALL\n} ENDIF\nPAGEBRK\n%EOF"}) {
    EXPECT_TRUE(Has(page, line)) << line;
  }
  EXPECT_EQ(Count(page, "ENDIF NL\n"), 8u);
}

}  // namespace
}  // namespace trm_test
