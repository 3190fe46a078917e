// The interpreter jobs on the simulated printer: what an install leaves on the disk, byte for
// byte, what the start-up page shows, and what an uninstall removes.

#include <map>

#include "e2e_fixture.h"
#include "interpreter/builtin_image.h"
#include "interpreter/interpreter_texts.h"
#include "trm.h"

namespace e2e {
namespace {

using Files = std::map<std::string, std::string>;  // printer name -> bytes

class InterpreterJobs : public E2eTest {
 protected:
  void SetUp() override { ASSERT_EQ(trmInitialize(), TRM_OK); }
  void TearDown() override { trmFinished(); }

  fs::path Make(int (*job)(const trmIOS*, const trmVOS*), unsigned flags, const std::string& name,
                const std::string& folder = {}) const {
    trmIOS* ios = trmNewIOS();
    trmVOS* vos = trmNewVOS();
    trmIOSSetFlags(ios, flags);
    trmIOSSetStatusLabel(ios, "P7");
    if (!folder.empty()) trmIOSSetLocalKORADir(ios, folder.c_str());
    trmVOSSetOutputPath(vos, (root_ / name).c_str());
    EXPECT_EQ(job(ios, vos), TRM_OK) << trmGetLastMessage();
    trmFreeIOS(ios);
    trmFreeVOS(vos);
    return root_ / name;
  }
  // Runs the job; the text of its first printed page (empty when none).
  std::string RunForPage(const fs::path& job, const std::string& verdict = "ok") const {
    fs::create_directories(root_ / "pages");
    const ProcessResult run =
        Kmsim({"--pages", (root_ / "pages").string(), "--page-format", "text", job.string()});
    EXPECT_EQ(Report(run, "verdict"), Strings{verdict}) << run.out << run.err;
    return ReadFile(root_ / "pages/job1-page1.txt");
  }
  void ExpectDisk(const Files& files) const {
    Strings names;
    for (const auto& [name, bytes] : files) {
      names.push_back(name);
      if (!bytes.empty()) {
        EXPECT_TRUE(ReadFile(disk_ / name) == bytes) << name;
      }
    }
    EXPECT_EQ(DiskFiles(), names);
  }
};

// The last line of the page that names the component: the page's title names one too.
std::string PageLine(const std::string& page, const std::string& component) {
  std::string found = "(no line " + component + ")";
  for (const std::string& line : Lines(page)) {
    if (line.find(component) != std::string::npos) found = line;
  }
  return found;
}

TEST_F(InterpreterJobs, BuiltinImageInstallsStartsAndUninstalls) {
  Files expected = {{"mtb/src/mtbdep", ""},
                    {"mtb/src/mtbdep.run", ""},
                    {"mtb/errorh.ps", std::string(trm::ErrorHandlerText())},
                    {"mtb/devicetype", "/trmsdk\n"},
                    {"Sys/Start", ""}};
  for (const trm::ImageFile& file : trm::BuiltinImageFiles()) {
    if (file.printerName != "mtb/src/kora.lmi")
      expected[std::string(file.printerName)] = file.bytes;
  }
  const ProcessResult install = Kmsim(
      {Make(trmInstallKORA, TRM_IOS_ERROR_HANDLER | TRM_IOS_AUTO_START, "install.ps").string()});
  ASSERT_EQ(Report(install, "verdict"), Strings{"ok"}) << install.out << install.err;
  ExpectDisk(expected);

  const std::string page = RunForPage(Make(trmStartupKORA, TRM_FLAG_STATUS_PAGE, "start.ps"));
  EXPECT_NE(page.find("Tessel Compose Component Version numbers"), std::string::npos) << page;
  EXPECT_NE(PageLine(page, "Tessel Compose").find(trmGetBuiltinKORAVersion()), std::string::npos)
      << page;
  EXPECT_NE(PageLine(page, "KORA Lumen Imaging").find("Not enabled"), std::string::npos) << page;
  for (const char* component : {"KORA DDG", "KORA PDF417", "KORA MAXICODE", "KORA DATAMATRIX",
                                "KORA QRCODE barcode", "KORA USPS4CB", "KORA Services"}) {
    EXPECT_EQ(PageLine(page, component).find("Not enabled"), std::string::npos) << page;
  }
  EXPECT_NE(page.find("Successfully started on"), std::string::npos) << page;

  // The stored error handler runs with the entry points and shows what failed.
  const std::string error = RunForPage(
      Job("error.ps", "%!PS\n(mtb/src/mtbdep) run\n1 (abc) nosuchcommand\n"), "failed exit 1");
  EXPECT_NE(error.find("Error: undefined in nosuchcommand"), std::string::npos) << error;
  EXPECT_NE(PageLine(error, "stringtype").find("abc"), std::string::npos) << error;

  WriteFile(disk_ / "mtbc/formlib/a.frm", "customer");
  const ProcessResult uninstall = Kmsim(
      {Make(trmUninstallKORA, TRM_IOS_REMOVE_INTERPRETER | TRM_IOS_REMOVE_CUSTOMER, "uninstall.ps")
           .string()});
  ASSERT_EQ(Report(uninstall, "verdict"), Strings{"ok"}) << uninstall.out << uninstall.err;
  EXPECT_EQ(DiskFiles(), Strings{});
}

TEST_F(InterpreterJobs, EveryEntryPointIsReplacedByTheInterpreter) {
  ASSERT_EQ(Report(Kmsim({Make(trmInstallKORA, 0, "install.ps").string()}), "verdict"),
            Strings{"ok"});
  // Each name the entry file defines must be the interpreter's own once the run file ran;
  // a stub left in place would run the run file again and again.
  std::string names;
  const std::string entry = trm::DepEntryFileText("");
  for (std::size_t at = entry.find(" MTBENTRY"); at != std::string::npos;
       at = entry.find(" MTBENTRY", at + 1)) {
    const std::size_t slash = entry.rfind('/', at);
    if (entry.compare(slash, at - slash, "/MTBENTRY") != 0)
      names += entry.substr(slash, at - slash) + " ";
  }
  const std::string check =
      "%!PS\n(mtb/src/mtbdep) run\n(mtb/src/mtbdep.run) run\n[ " + names +
      "] {\n  userdict 1 index get\n"
      "  dup type dup /arraytype eq exch /packedarraytype eq or\n"
      "  { dup length 0 gt { 0 get (mtb/src/mtbdep.run) eq } { pop false } ifelse }\n"
      "  { pop false } ifelse\n"
      "  { (stub ) print = } { pop } ifelse\n"
      "} forall\n(checked) = flush\n";
  const ProcessResult run = Kmsim({Job("check.ps", check).string()});
  const std::string output = run.out + run.err;
  EXPECT_EQ(Report(run, "verdict"), Strings{"ok"}) << output;
  EXPECT_NE(output.find("checked"), std::string::npos) << output;
  EXPECT_EQ(output.find("stub "), std::string::npos) << output;
}

TEST_F(InterpreterJobs, LocalInstallationSendsItsOwnModules) {
  const fs::path kora = root_ / "kora";
  for (const trm::ImageFile& file : trm::BuiltinImageFiles()) {
    WriteFile(kora / file.printerName.substr(4), file.bytes);
  }
  WriteFile(kora / "src/kora.lmi", "%!PS\nMTBdict /LMIVER (9.9) put\n");
  WriteFile(kora / "encoding/sub/inner", "not sent");
  WriteFile(kora / "imglib/KORAins.tif", "not sent either: the JPEG is there");
  WriteFile(kora / "src/mtbdos.run", "(" + (kora / "src/mtb.eeh").string() + ") run\n(" +
                                         (kora / "src/kora.vsm").string() + ") run\n[(" +
                                         (kora / "src/mtb.ddg").string() + ") (" +
                                         (kora / "src/kora.lmi").string() + ")] run % modules\n");
  Files expected = {{"mtb/src/mtbdep", ""}, {"mtb/src/mtbdep.run", ""}, {"mtb/devicetype", ""}};
  for (const char* name : {"VER", "src/mtb.eeh", "src/kora.vsm", "src/mtb.ddg", "src/kora.lmi",
                           "imglib/KORAins.jpg", "imglib/nlogo.tif", "formlib/mtblogo.seg",
                           "formlib/mtblogb.seg", "formlib/tesselstamp.seg"}) {
    expected["mtb/" + std::string(name)] = ReadFile(kora / name);
  }
  for (const auto& entry : fs::directory_iterator(kora / "encoding")) {
    if (entry.is_regular_file()) {
      expected["mtb/encoding/" + entry.path().filename().string()] = ReadFile(entry.path());
    }
  }
  const ProcessResult install =
      Kmsim({Make(trmInstallKORA, 0, "install.ps", kora.string()).string()});
  ASSERT_EQ(Report(install, "verdict"), Strings{"ok"}) << install.out << install.err;
  ExpectDisk(expected);
  const std::string run = ReadFile(disk_ / "mtb/src/mtbdep.run");
  EXPECT_NE(
      run.find("\n(mtb/src/kora.vsm) run\n(mtb/src/mtb.ddg) run\n(mtb/src/kora.lmi) run\nend"),
      std::string::npos)
      << run;

  const std::string page = RunForPage(Make(trmStartupKORA, TRM_FLAG_STATUS_PAGE, "start.ps"));
  EXPECT_NE(PageLine(page, "KORA Lumen Imaging").find("9.9"), std::string::npos) << page;
  EXPECT_NE(PageLine(page, "Tessel Compose").find(trmGetBuiltinKORAVersion()), std::string::npos)
      << page;
}

}  // namespace
}  // namespace e2e
