#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "interpreter/interpreter_texts.h"
#include "interpreter/run_file_scanner.h"
#include "platform/file_helpers.h"
#include "stream/job_text.h"

namespace trm {
namespace {

constexpr std::string_view kRunFile = "mtb/src/mtbdep.run";
// An entry file is a page of PostScript; anything far larger is not one.
constexpr std::uint64_t kLargestEntryFile = std::uint64_t{16} << 20;
constexpr std::size_t kEntryColumn = 32;

// The interpreter's commands: the first use of any of them loads the whole interpreter.
constexpr std::array<std::string_view, 47> kEntryPoints = {
    "PORT",      "IPORT",        "LAND",       "ILAND",           "STARTLM",   "STARTDBM",
    "SETDBSEP",  "SETJDT",       "SETLMFILE",  "SETDLFILE",       "MTB",       "SETPROJECT",
    "MTBRESDEF", "SETMAXRES",    "ORITL",      "STARTXML",        "MTBDEBUG",  "SETUNIT",
    "SETFPATH",  "SETIPATH",     "SETJPATH",   "SETEPATH",        "SETMPATH",  "SETPAGESIZE",
    "TWOUP",     "SETMULTIUP",   "SETTAB",     "SETUTAB",         "SETMEDIA",  "SETMEDIAT",
    "SHIFT",     "SETCYCLECOPY", "DUPLEX_on",  "TUMBLEDUPLEX_on", "SETFORM",   "SETFONT",
    "INDEXFONT", "SETGRID",      "SETMARGIN",  "PAGERANGE",       "STAPLE_on", "RUN",
    "FSHOW",     "MAKEVMFILE",   "MAKEVMFORM", "EKORA",           "SETPARAMS"};

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
  if (from.empty()) return;
  for (std::size_t at = text.find(from); at != std::string::npos;
       at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
}

// The installation's own entry file, pointed at the run file the install job stores.
std::optional<std::string> LocalEntryFile(const std::string& installationFolder) {
  const std::string path = installationFolder + "src/mtbdos";
  RunFileCommands commands;
  if (!ScanRunFile(path, {"/run", false, false}, commands) || !commands.found ||
      commands.files.empty()) {
    return std::nullopt;
  }
  std::optional<std::string> text = platform::ReadFileText(path.c_str(), kLargestEntryFile);
  if (!text) return std::nullopt;
  ReplaceAll(*text, commands.files.front(), kRunFile);
  if (text->find("errorh.ps") == std::string::npos) {
    ReplaceAll(*text, "%%EndSetup",
               "(mtb/errorh.ps) dup status exch pop {pop pop pop run} if\n%%EndSetup");
  }
  return text;
}

std::string GeneratedEntryFile() {
  std::string text = JobHeader("trmMTBDEP");
  text += "%%BeginSetup\n";
  text += "userdict begin\n";
  text += "/MTBENTRY { [ (mtb/src/mtbdep.run) /run cvx 3 index cvx ] cvx def } bind def\n";
  for (std::size_t i = 0; i < kEntryPoints.size(); ++i) {
    std::string entry = "/" + std::string(kEntryPoints[i]) + " MTBENTRY";
    if (i % 2 == 0 && i + 1 < kEntryPoints.size()) {
      entry.resize(std::max(entry.size() + 1, kEntryColumn), ' ');
    } else {
      entry += '\n';
    }
    text += entry;
  }
  text += "end\n";
  text += "(mtb/errorh.ps) status {pop pop pop pop (mtb/errorh.ps) run} if\n";
  text += "%%EndSetup\n";
  return text;
}

}  // namespace

std::string DepEntryFileText(const std::string& installationFolder) {
  if (!installationFolder.empty()) {
    if (std::optional<std::string> local = LocalEntryFile(installationFolder)) return *local;
  }
  return GeneratedEntryFile();
}

}  // namespace trm
