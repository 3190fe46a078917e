#include <string>
#include <string_view>

#include "frame/job_file.h"
#include "frame/library_state.h"
#include "stream/job_text.h"
#include "trm.h"

namespace {

constexpr std::string_view kOperation = "trmStartupKORA";

constexpr std::string_view kPageHead =
    "PORT\n"
    "1100 1775 MOVETO\n"
    "(mtblogb.seg) SCALL      % blue logo\n"
    "637 1556 1220 130 XLTB DRAWB\n"
    "70 SETLSP\n"
    "/NNCSB 12 15 SETFONT\n"
    "1247 1470 MOVETO\n"
    "(Tessel Compose Component Version numbers) SHc\n"
    "647 1342 MOVETO\n"
    "/NNCSR 14 SETFONT\n"
    "(Tessel Compose) SH [1847 B_D1] MOVEH MTBVER SHr NL\n";

constexpr std::string_view kPageFoot =
    "1250 150 MOVETO\n"
    "/NNCSBI 12 SETFONT\n"
    "BLUE SETTXC\n"
    "(Successfully started on ) PRODUCT CS SHC\n"
    "BLACK SETTXC\n"
    "IF (tesselstamp.seg) /seg EXIST\n"
    "{\n"
    "\t1071 272 MOVETO\n"
    "\t(tesselstamp.seg) CACHE .7 SCALL\n"
    "} ENDIF\n"
    "PAGEBRK\n";

// A component's version, or "Not enabled" while its module has not set it.
struct Component {
  std::string_view name;
  std::string_view tested;
  std::string_view compared;
  std::string_view shown;
};

constexpr Component kComponents[] = {
    {"KORA DDG", "DDGVER", "DDGVER", "DDGVER"},
    {"KORA PDF417", "417VER", "417VER", "417VER"},
    {"KORA MAXICODE", "MAXVER", "MAXVER", "MAXVER"},
    {"KORA DATAMATRIX", "DMXVER", "DMXVER", "DMXVER"},
    {"KORA QRCODE barcode", "QRCVER", "QRCVER", "QRCVER"},
    {"KORA USPS4CB", "USPS4CB", "4CBVER", "4CBVER"},
    {"KORA Lumen Imaging", "LMIVER", "LMIVER", "LMIVER"},
    {"KORA Services", "VSMVER", "VSMVER", "VSMVER"},
};

std::string StatusPage() {
  std::string page(kPageHead);
  for (const Component& c : kComponents) {
    page.append("(").append(c.name).append(") SH [1847 B_D1] MOVEH\n");
    page.append("\tIF (").append(c.tested).append(") ($$.) VSUB3 (").append(c.compared);
    page.append(") eq\n");
    page.append("\t{ (Not enabled) SHr } ELSE { ").append(c.shown).append(" SHr } ENDIF NL\n");
  }
  page += kPageFoot;
  return page;
}

std::string BuildStartup(const trmIOS* ios) {
  const std::uint32_t flags = ios ? ios->flags : 0;
  std::string job = trm::JobHeader(kOperation);
  job += "true () startjob pop\n";
  // Resident: the whole interpreter now; otherwise only its entry points, which load it on
  // first use.
  job += (flags & TRM_IOS_RESIDENT) ? "(mtb/src/mtbdep.run) run\n" : "(mtb/src/mtbdep) run\n";
  job += "false () startjob pop\n";
  if (flags & TRM_FLAG_STATUS_PAGE) job += StatusPage();
  job += "%EOF";
  return job;
}

}  // namespace

extern "C" int trmStartupKORA(const trmIOS* ios, const trmVOS* vos) {
  if (!trm::IsInitialised()) return TRM_NOT_INITIALIZED;
  if (!vos || !trm::IsSetText(vos->outputPath)) {
    return trm::MissingParameter(kOperation, "trmVOS.outputPath");
  }
  const std::string job = BuildStartup(ios);
  return trm::WriteBuiltJob(kOperation, *vos, job);
}
