#include <climits>
#include <cstdlib>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "encoding/load_record.h"
#include "frame/job_file.h"
#include "frame/library_state.h"
#include "interpreter/builtin_image.h"
#include "interpreter/folder_listing.h"
#include "interpreter/interpreter_file_name.h"
#include "interpreter/interpreter_texts.h"
#include "interpreter/run_file_scanner.h"
#include "platform/file_helpers.h"
#include "stream/job_text.h"
#include "stream/ps_string.h"
#include "trm.h"

namespace {

constexpr std::string_view kOperation = "trmInstallKORA";
constexpr std::string_view kStartupModeLines =
    "\ntrue () startjob pop\n"
    "currentsystemparams /StartupMode known\n"
    "  { << /StartupMode 1 >> setsystemparams } if\n";
constexpr std::string_view kDeviceType = "/trmsdk\n";

struct InstallOptions {
  std::string folder;  // the local installation; empty for the built-in image
  std::string label;
  bool status = false;
  bool hex = false;
  bool lumen = false;
  std::string parameters;  // of every load_file record: interpreter files always replace
};

std::span<const unsigned char> Bytes(std::string_view text) {
  return {reinterpret_cast<const unsigned char*>(text.data()), text.size()};
}

int WriteText(const trm::JobContext& job, const InstallOptions& options, std::string_view text,
              std::string_view printerName) {
  return trm::WriteDiskLoadRecord(job, Bytes(text), printerName, options.parameters, options.hex);
}

std::optional<std::string> RealPath(const std::string& path) {
  const std::unique_ptr<char, decltype(&std::free)> real(realpath(path.c_str(), nullptr),
                                                         std::free);
  if (!real) return std::nullopt;
  return std::string(real.get());
}

// The files a local installation sends, in order: what its run file runs, its encodings, the
// start-up images and the logo segments.
std::vector<std::string> LocalFiles(const std::string& folder,
                                    const std::vector<std::string>& runFiles) {
  std::vector<std::string> files = runFiles;
  const std::string encoding = folder + "encoding/";
  for (const std::string& name : trm::ListFolderFiles(encoding)) files.push_back(encoding + name);
  const std::string imglib = folder + "imglib/";
  files.push_back(platform::Exists((imglib + "KORAins.jpg").c_str()) ? imglib + "KORAins.jpg"
                                                                     : imglib + "KORAins.tif");
  files.push_back(imglib + "nlogo.tif");
  const std::string formlib = folder + "formlib/";
  files.push_back(formlib + "mtblogo.seg");
  files.push_back(formlib + "mtblogb.seg");
  if (platform::Exists((formlib + "tesselstamp.seg").c_str())) {
    files.push_back(formlib + "tesselstamp.seg");
  }
  return files;
}

// One file of the installation: it must lie inside the installation folder, by its name and,
// through links, by where it really is.
int WriteLocalFile(const trm::JobContext& job, const InstallOptions& options,
                   const std::string& realFolder, const std::string& path) {
  const std::optional<std::string> printerName = trm::InterpreterPrinterName(path, options.folder);
  if (!printerName) return job.Fail(TRM_PATH_CONVERSION, path);
  if (const std::optional<std::string> real = RealPath(path)) {
    if (real->compare(0, realFolder.size(), realFolder) != 0) {
      return job.Fail(TRM_PATH_CONVERSION, path);
    }
  }
  return trm::WriteFileLoadRecord(job, path, *printerName, options.parameters, options.hex);
}

int WriteLocalInstallation(const trm::JobContext& job, const InstallOptions& options) {
  std::string realFolder = RealPath(options.folder).value_or(options.folder);
  if (realFolder.back() != '/') realFolder.push_back('/');
  const std::string version = options.folder + "VER";
  if (platform::Exists(version.c_str())) {
    const int code = WriteLocalFile(job, options, realFolder, version);
    if (code != TRM_OK) return code;
  }
  const std::string runFile = options.folder + "src/mtbdos.run";
  trm::RunFileCommands commands;
  if (!trm::ScanRunFile(runFile, {"run", true, true}, commands) || commands.files.empty()) {
    return job.Fail(TRM_PARSE_PROBLEM, runFile);
  }
  int code =
      WriteText(job, options, trm::RunFileText(&commands.files, false), "mtb/src/mtbdep.run");
  for (const std::string& path : LocalFiles(options.folder, commands.files)) {
    if (code != TRM_OK) break;
    code = WriteLocalFile(job, options, realFolder, path);
  }
  return code;
}

int WriteBuiltinImage(const trm::JobContext& job, const InstallOptions& options) {
  int code =
      WriteText(job, options, trm::RunFileText(nullptr, options.lumen), "mtb/src/mtbdep.run");
  if (code == TRM_OK) code = job.Section(trm::BuiltinImageRecords());
  if (code == TRM_OK && options.lumen) code = job.Section(trm::BuiltinLumenRecords());
  return code;
}

}  // namespace

extern "C" int trmInstallKORA(const trmIOS* ios, const trmVOS* vos) {
  if (!trm::IsInitialised()) return TRM_NOT_INITIALIZED;
  if (!vos || !trm::IsSetText(vos->outputPath)) {
    return trm::MissingParameter(kOperation, "trmVOS.outputPath");
  }
  const trmIOS defaults;
  const trmIOS& in = ios ? *ios : defaults;
  InstallOptions options;
  const bool builtin = (in.flags & TRM_IOS_BUILTIN) || !trm::IsSetText(in.localKORADir);
  if (!builtin) options.folder = *in.localKORADir;
  options.label = trm::TextOrEmpty(in.statusLabel);
  options.status = in.flags & TRM_FLAG_STATUS_PAGE;
  options.hex = in.flags & TRM_FLAG_HEX;
  // A run file naming a module the image does not have would fail on the printer.
  options.lumen = builtin && (in.flags & TRM_IOS_LUMEN) && !trm::BuiltinLumenRecords().empty();
  options.parameters = trm::PsString(options.label) + " " + trm::Word(options.status) + " true";
  const bool autoStart = in.flags & TRM_IOS_AUTO_START;
  const char mode = !autoStart ? '0' : (in.flags & TRM_IOS_RESIDENT) ? '2' : '1';

  return trm::WriteJob(kOperation, *vos, trm::JobBuild::kSections, [&](const trm::JobContext& job) {
    std::string head = trm::JobHeader(kOperation);
    if (autoStart) head += kStartupModeLines;
    head += trm::PrologAndDate();
    int code = job.Section(head);
    if (code == TRM_OK) {
      code = WriteText(job, options, trm::DepEntryFileText(options.folder), "mtb/src/mtbdep");
    }
    if (code == TRM_OK) {
      code = builtin ? WriteBuiltinImage(job, options) : WriteLocalInstallation(job, options);
    }
    if (code == TRM_OK && (in.flags & TRM_IOS_ERROR_HANDLER)) {
      code = WriteText(job, options, trm::ErrorHandlerText(), "mtb/errorh.ps");
    }
    if (code == TRM_OK) code = WriteText(job, options, kDeviceType, "mtb/devicetype");
    if (code != TRM_OK) return code;
    std::string tail = trm::AutoStartCommand(options.label, options.status, mode);
    if (options.status) tail += trm::kEndList;
    tail += trm::kSystemModeEnd;
    tail += "\n%EOF";
    return job.Section(tail);
  });
}

extern "C" const char* trmGetBuiltinKORAVersion(void) {
  static const std::string version(trm::BuiltinKORAVersion());
  return version.c_str();
}
