// The interpreter jobs on the simulated printer: what an install leaves on the disk, byte for
// byte, what the start-up page shows, and what an uninstall removes.

#include "e2e_fixture.h"
#include "interpreter/builtin_image.h"
#include "interpreter/interpreter_texts.h"

namespace e2e {
namespace {

class InterpreterJobs : public GeneratorE2eTest {
 protected:
  fs::path Make(int (*entry)(const trmIOS*, const trmVOS*), unsigned flags, const std::string& name,
                const std::string& folder = {}) const {
    std::unique_ptr<trmIOS, int (*)(trmIOS*)> ios(trmNewIOS(), &trmFreeIOS);
    trmIOSSetFlags(ios.get(), flags);
    trmIOSSetStatusLabel(ios.get(), "P7");
    if (!folder.empty()) trmIOSSetLocalKORADir(ios.get(), folder.c_str());
    return Generate(entry, ios.get(), name);
  }
};

// The version text the built-in image gives a component: "/KEY (text)" in one of its files.
std::string ImageVersion(const std::string& key) {
  for (const trm::ImageFile& file : trm::BuiltinImageFiles()) {
    const std::string bytes(file.bytes);
    if (const auto at = bytes.find("/" + key + " ("); at != bytes.npos) {
      const auto from = at + key.size() + 3;
      return bytes.substr(from, bytes.find(')', from) - from);
    }
  }
  return "(no " + key + ")";
}

TEST_F(InterpreterJobs, BuiltinImageInstallsStartsAndUninstalls) {
  std::map<std::string, std::string> expected = {
      {"mtb/src/mtbdep", ""},
      {"mtb/src/mtbdep.run", ""},
      {"mtb/errorh.ps", std::string(trm::ErrorHandlerText())},
      {"mtb/devicetype", "/trmsdk\n"},
      {"Sys/Start", ""}};
  for (const trm::ImageFile& file : trm::BuiltinImageFiles()) {
    if (file.printerName != "mtb/src/kora.lmi")
      expected[std::string(file.printerName)] = file.bytes;
  }
  RunJob(Make(trmInstallKORA, TRM_IOS_ERROR_HANDLER | TRM_IOS_AUTO_START, "install.ps"));
  ExpectDisk(expected);
  EXPECT_NE(ReadFile(disk_ / "Sys/Start").find("(mtb/src/mtbdep) run"), std::string::npos);

  std::string page;
  RunJob(Make(trmStartupKORA, TRM_FLAG_STATUS_PAGE, "start.ps"), &page);
  EXPECT_NE(page.find("Tessel Compose Component Version numbers"), page.npos) << page;
  for (const auto& [component, shown] :
       {std::pair<std::string, std::string>{"Tessel Compose", trmGetBuiltinKORAVersion()},
        {"KORA Lumen Imaging", "Not enabled"},
        {"KORA DDG", ImageVersion("DDGVER")},
        {"KORA PDF417", ImageVersion("417VER")},
        {"KORA MAXICODE", ImageVersion("MAXVER")},
        {"KORA DATAMATRIX", ImageVersion("DMXVER")},
        {"KORA QRCODE barcode", ImageVersion("QRCVER")},
        {"KORA USPS4CB", ImageVersion("4CBVER")},
        {"KORA Services", ImageVersion("VSMVER")}}) {
    EXPECT_NE(PageLine(page, component).find(shown), page.npos) << component << page;
  }
  EXPECT_NE(page.find("Successfully started on"), page.npos) << page;

  // Each name the entry file defines must be the interpreter's own once the run file ran; a
  // stub left in place would run the run file again and again.
  std::string names;
  const std::string entry = trm::DepEntryFileText("");
  for (auto at = entry.find(" MTBENTRY"); at != entry.npos; at = entry.find(" MTBENTRY", at + 1)) {
    const std::size_t slash = entry.rfind('/', at);
    if (entry.compare(slash, at - slash, "/MTBENTRY") != 0)
      names += entry.substr(slash, at - slash);
  }
  const std::string check =
      "%!PS\n(mtb/src/mtbdep) run\n(mtb/src/mtbdep.run) run\n[" + names + R"(] {
  userdict 1 index get dup type dup /arraytype eq exch /packedarraytype eq or
  { dup length 0 gt { 0 get (mtb/src/mtbdep.run) eq } { pop false } ifelse } { pop false } ifelse
  { (stub ) print = } { pop } ifelse
} forall flush
)";
  const ProcessResult checked = RunJob(Job("check.ps", check));
  const std::string output = checked.out + checked.err;
  EXPECT_EQ(output.find("stub "), output.npos) << output;

  // The stored error handler runs with the entry points and shows what failed.
  std::string error;
  RunJob(Job("error.ps", "%!PS\n(mtb/src/mtbdep) run\n1 (abc) nosuchcommand\n"), &error,
         "failed exit 1");
  EXPECT_NE(error.find("Error: undefined in nosuchcommand"), error.npos) << error;
  EXPECT_NE(PageLine(error, "stringtype").find("abc"), error.npos) << error;

  // Removing everything takes the auto-start file too; only what lies outside mtb/ and mtbc/
  // stays.
  WriteFile(disk_ / "mtbc/formlib/a.frm", "customer");
  WriteFile(disk_ / "fonts/Foo", "font");
  RunJob(Make(trmUninstallKORA, TRM_IOS_REMOVE_INTERPRETER | TRM_IOS_REMOVE_CUSTOMER, "rm.ps"));
  EXPECT_EQ(DiskFiles(), Strings{"fonts/Foo"});
}

TEST_F(InterpreterJobs, LocalInstallationSendsItsOwnModules) {
  const fs::path kora = root_ / "kora";
  for (const trm::ImageFile& file : trm::BuiltinImageFiles()) {
    WriteFile(kora / file.printerName.substr(4), file.bytes);
  }
  WriteFile(kora / "src/kora.lmi", "%!PS\nMTBdict /LMIVER (9.9) put\n");
  WriteFile(kora / "encoding/sub/inner", "not sent");
  WriteFile(kora / "imglib/KORAins.tif", "not sent either: the JPEG is there");
  const std::string src = (kora / "src/").string();
  WriteFile(kora / "src/mtbdos.run", "(" + src + "mtb.eeh) run\n(" + src + "kora.vsm) run\n[(" +
                                         src + "mtb.ddg) (" + src + "kora.lmi)] run % modules\n");
  std::map<std::string, std::string> expected = {
      {"mtb/src/mtbdep", ""}, {"mtb/src/mtbdep.run", ""}, {"mtb/devicetype", ""}};
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
  RunJob(Make(trmInstallKORA, 0, "install.ps", kora.string()));
  ExpectDisk(expected);

  std::string page;
  RunJob(Make(trmStartupKORA, TRM_FLAG_STATUS_PAGE, "start.ps"), &page);
  EXPECT_NE(PageLine(page, "KORA Lumen Imaging").find("9.9"), page.npos) << page;
  EXPECT_NE(PageLine(page, "Tessel Compose").find(trmGetBuiltinKORAVersion()), page.npos) << page;
}

}  // namespace
}  // namespace e2e
