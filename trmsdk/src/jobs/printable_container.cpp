#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "encoding/source_file.h"
#include "frame/job_file.h"
#include "frame/library_state.h"
#include "interpreter/builtin_image.h"
#include "interpreter/folder_listing.h"
#include "interpreter/interpreter_texts.h"
#include "interpreter/run_file_scanner.h"
#include "platform/file_helpers.h"
#include "platform/path_kind.h"
#include "platform/unique_fd.h"
#include "project/project_load_body.h"
#include "project/project_opening.h"
#include "project/resource_definitions.h"
#include "stream/job_text.h"
#include "stream/ps_string.h"
#include "stream/wildcard.h"
#include "trm.h"

namespace trm {
namespace {

constexpr std::string_view kOperation = "trmCreatePrintableContainer";

constexpr std::size_t kStreamBufferBytes = std::size_t{1} << 20;
// The submission file may be far larger than memory allows: it passes in pieces of this size.
constexpr std::size_t kCopyChunkBytes = 10485760;
constexpr std::size_t kFirstReadBytes = 65536;

constexpr std::string_view kSaveState = "\nuserdict /KORAOSAVE save put clear\n";
constexpr std::string_view kRestoreState = "clear KORAOSAVE restore\n";
// An interpreter file that carries this is an enciphered module: resident, it must be loaded
// into the persistent job on its own.
constexpr std::string_view kEnciphered = "currentfile eexec";
constexpr std::string_view kBuiltinSourceFolder = "mtb/src/";
constexpr std::string_view kBuiltinEncodingFolder = "mtb/encoding/";

struct Switches {
  explicit Switches(const trmPPS& pps)
      : flags(pps.flags),
        embed(flags & TRM_PPS_EMBED_KORA),
        errorHandler(flags & TRM_PPS_ERROR_HANDLER),
        local(!(flags & TRM_PPS_USE_STUB) && IsSetText(pps.KORAPath)),
        external(flags & TRM_PPS_EXTERNAL_SUBMISSION),
        include(flags & TRM_PPS_INCLUDE_RESOURCES),
        deploy(flags & TRM_PPS_DEPLOY_RESOURCES),
        pageRange(flags & TRM_PPS_PAGE_RANGE),
        resident((flags & (TRM_PPS_EMBED_KORA | TRM_PPS_INCLUDE_RESOURCES)) &&
                 (flags & TRM_PPS_RESIDENT)),
        lumen(!local && (flags & TRM_PPS_LUMEN)),
        plainCopy(flags == 0 || flags == TRM_PPS_EXTERNAL_SUBMISSION) {}

  std::uint32_t flags;
  bool embed, errorHandler, local, external, include, deploy, pageRange, resident, lumen, plainCopy;
};

bool IsEnciphered(std::string_view text) {
  return text.find(kEnciphered) != std::string_view::npos;
}

std::string_view AsText(const std::vector<unsigned char>& data) {
  return {reinterpret_cast<const char*>(data.data()), data.size()};
}

std::string DefinedDateLine() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char date[64];
  const std::size_t length = std::strftime(date, sizeof date, "%Y %m %d %H %M %S", &local);
  std::string line = "[ /DefinedDate [";
  line.append(date, length);
  line += local.tm_isdst > 0 ? " 1" : " 0";
  line += "] /KeepVMF true ] SETPARAMS\n";
  return line;
}

std::string PageRangeText(const trmPPS& pps) {
  return "\n[/PageRange " + std::to_string(pps.pageRangeMode) + "] SETPARAMS\n" +
         std::to_string(pps.firstPage) + " " + std::to_string(pps.lastPage) + " PAGERANGE\n";
}

// The local path of the file to print, or nothing (1015 set) when there is no usable one.
std::optional<std::string> SubmissionPath(const JobContext& job, const tpsdk::Project& project,
                                          const trmPPS& pps, bool external) {
  const std::string& given = TextOrEmpty(pps.submissionFile);
  std::optional<std::string> path;
  if (external) {
    path = given;
  } else if (given.empty()) {
    const std::size_t count = project.GetSubmissionFileCount();
    // With several, the second in submission order is the one to print.
    if (count > 0) path = project.GetSubmissionFilePath(count == 1 ? 0 : 1);
  } else {
    for (std::size_t i = 0; i < project.GetElementCount(); ++i) {
      const tpsdk::ProjectElement* element = project.GetElement(i);
      if (!element || given != element->GetName()) continue;
      const std::string_view type = element->GetType();
      if (type == "sub" || type == "frm") path = element->GetLocalPath();
      break;
    }
  }
  if (!path || path->empty() || platform::KindOf(path->c_str()) == platform::PathKind::kMissing) {
    job.Fail(TRM_PRINT_FILE_MISSING, given);
    return std::nullopt;
  }
  return path;
}

// The submission file, opened for reading from its start; copied, never held whole.
class Submission {
 public:
  int Open(const JobContext& job, std::string path) {
    path_ = std::move(path);
    // Not blocking: a FIFO in the file's place must not hang the job.
    file_ = platform::UniqueFd(open(path_.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (!file_ || fstat(file_.get(), &info) != 0) return job.Fail(TRM_SOURCE_UNREADABLE, path_);
    if (!S_ISREG(info.st_mode)) {
      std::string detail = path_;
      detail.append(": ").append(platform::KindDescription(platform::KindOfMode(info.st_mode)));
      return job.Fail(TRM_SOURCE_UNREADABLE, detail);
    }
    return TRM_OK;
  }

  // Reads what the first piece of the file holds, to know it is readable before anything else
  // is written.
  int CheckFirstBytes(const JobContext& job) {
    std::vector<char> first(kFirstReadBytes);
    ssize_t got;
    do {
      got = pread(file_.get(), first.data(), first.size(), 0);
    } while (got < 0 && errno == EINTR);
    return got < 0 ? job.Fail(TRM_SOURCE_UNREADABLE, path_) : TRM_OK;
  }

  // The whole file into the job, chunk after chunk, up to the end it has when read.
  int CopyTo(const JobContext& job) {
    std::vector<char> chunk(kCopyChunkBytes);
    for (;;) {
      std::size_t filled = 0;
      while (filled < chunk.size()) {
        const ssize_t got = read(file_.get(), chunk.data() + filled, chunk.size() - filled);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return job.Fail(TRM_SOURCE_UNREADABLE, path_);
        if (got == 0) break;
        filled += static_cast<std::size_t>(got);
      }
      if (filled > 0 && !job.out.Write({chunk.data(), filled})) return job.WriteFailure();
      if (filled < chunk.size()) return TRM_OK;
    }
  }

  const std::string& path() const { return path_; }

 private:
  std::string path_;
  platform::UniqueFd file_;
};

// The stream after the header and any deployed resources: the interpreter, settings, included
// resources, the submission file and the trailer.
class ContainerBody {
 public:
  ContainerBody(const JobContext& job, const tpsdk::Project& project, const trmPPS& pps)
      : job_(job), project_(project), pps_(pps), on_(pps) {}

  int Write(Submission& submission) {
    if (int code = Begin(submission); code != TRM_OK) return code;
    if (int code = Deploy(); code != TRM_OK) return code;
    Put(on_.embed ? std::string_view{} : "\n/MTB where {pop} {(Sys/Start) run} ifelse\n");
    if (!on_.resident) Put(kSaveState);
    if (int code = Flush(); code != TRM_OK) return code;
    if (on_.embed) {
      if (int code = Interpreter(); code != TRM_OK) return code;
    }
    Put(DefinedDateLine());
    Put("\nMTB\n");
    if (on_.include) Put("%%Start including resources (if any)\n");
    if (on_.embed) Encodings();
    if (on_.include && !on_.deploy) {
      Put("\n/FSHOW /FCACHE ld\n");
      if (int code = Flush(); code != TRM_OK) return code;
      if (int code = WriteResourceDefinitions(job_, project_, on_.flags); code != TRM_OK) {
        return code;
      }
      Put("\n%% End including resources\n\n");
    }
    if (on_.embed) {
      if (int code = Modules(); code != TRM_OK) return code;
    }
    if (on_.resident) Put("\nfalse () startjob pop\n");
    if (on_.pageRange) Put(PageRangeText(pps_));
    Put("\nRSAVE\n");
    if (int code = Flush(); code != TRM_OK) return code;
    if (int code = submission.CopyTo(job_); code != TRM_OK) return code;
    Put(on_.resident ? "\n[/KeepVMF false] SETPARAMS\nMTBEND\n%%EOF\n\nclear MTB end end\n%%EOF"
                     : "\n[/KeepVMF false] SETPARAMS\nMTBEND\n%%EOF\n\nclear MTB end end "
                       "KORAOSAVE restore\n%%EOF");
    return Flush();
  }

 private:
  // Writes stay in the stream buffer until the next flush; the first failure is kept.
  void Put(std::string_view text) {
    if (!text.empty() && writeOk_) writeOk_ = job_.out.Write(text);
  }
  int Flush() {
    writeOk_ = writeOk_ && job_.out.Flush();
    return writeOk_ ? TRM_OK : job_.WriteFailure();
  }

  int Begin(Submission& submission) {
    if (int code = submission.CheckFirstBytes(job_); code != TRM_OK) return code;
    Put(JobHeader(submission.path(),
                  on_.deploy ? "%%KORA_DEPLOY_JOB_RESOURCES \"true\"\n" : std::string_view{}));
    if (on_.resident) Put(kSystemModeStart);
    return Flush();
  }

  int Deploy() {
    if (!on_.deploy) return TRM_OK;
    Put(kSaveState);
    if (int code = Flush(); code != TRM_OK) return code;
    // A project with nothing to store still gets its data printed.
    const int code = WriteProjectLoadBody(job_, project_, pps_);
    if (code != TRM_OK && code != TRM_NO_RESOURCE_LOADED) return code;
    Put(kRestoreState);
    return TRM_OK;
  }

  // Prolog, services module and error handler, from the image or the installation's run file.
  int Interpreter() {
    if (on_.local) {
      const std::string runFile = ProjectRunFile(pps_);
      RunFileCommands commands;
      if (!ScanRunFile(runFile, {"run", true, true}, commands) || !commands.found) {
        return job_.Fail(TRM_PARSE_PROBLEM, runFile);
      }
      listed_ = std::move(commands.files);
      const std::optional<std::string> prolog = TakeListed("*mtb.eeh");
      if (!prolog) return job_.Fail(TRM_SOURCE_MISSING, "mtb.eeh");
      if (int code = PutListedFile(*prolog, kSystemModeStart, {}, /*breakAlways=*/true);
          code != TRM_OK) {
        return code;
      }
      if (const std::optional<std::string> services = TakeListed("*kora.vsm")) {
        if (int code = PutListedFile(*services, kSystemModeStart, {}, false); code != TRM_OK) {
          return code;
        }
      }
    } else {
      for (std::string_view file : {"mtb.eeh", "kora.vsm"}) {
        if (int code = PutBuiltin(file); code != TRM_OK) return code;
        if (on_.resident) Put(kSystemModeStart);
      }
    }
    if (on_.errorHandler) Put(ErrorHandlerText());
    return Flush();
  }

  // Removes the first run-file entry the pattern matches from the list and returns it.
  std::optional<std::string> TakeListed(std::string_view pattern) {
    for (auto it = listed_.begin(); it != listed_.end(); ++it) {
      if (!WildcardMatch(pattern, *it)) continue;
      std::string file = std::move(*it);
      listed_.erase(it);
      return file;
    }
    return std::nullopt;
  }

  // A listed file unchanged; `residentBreak` follows it when resident and either breakAlways
  // or the file is enciphered, `otherwise` in every other case.
  int PutListedFile(const std::string& path, std::string_view residentBreak,
                    std::string_view otherwise, bool breakAlways) {
    if (int code = Flush(); code != TRM_OK) return code;
    std::vector<unsigned char> data;
    if (int code = ReadSourceFile(job_, path, data); code != TRM_OK) return code;
    Put(AsText(data));
    const bool separate = on_.resident && (breakAlways || IsEnciphered(AsText(data)));
    Put(separate ? residentBreak : otherwise);
    return Flush();
  }

  int PutBuiltin(std::string_view file) {
    const std::string name = std::string(kBuiltinSourceFolder) + std::string(file);
    const ImageFile* image = FindBuiltinImageFile(name);
    if (!image) return job_.Fail(TRM_SOURCE_MISSING, name);
    Put(image->bytes);
    return TRM_OK;
  }

  // The interpreter's encodings, each defined under its file name, except the ones the
  // project brings itself and the font metric files.
  void Encodings() {
    std::vector<std::string> exclusions{"*.afk", "*.AFK"};
    for (std::size_t i = 0; i < project_.GetElementCount(); ++i) {
      const tpsdk::ProjectElement* element = project_.GetElement(i);
      if (element && std::string_view(element->GetType()) == "enc") {
        exclusions.emplace_back(element->GetName());
      }
    }
    const auto excluded = [&](std::string_view name) {
      for (const std::string& pattern : exclusions) {
        if (WildcardMatch(pattern, name)) return true;
      }
      return false;
    };
    if (on_.local) {
      const std::string folder = TextOrEmpty(pps_.KORAPath) + "encoding";
      for (const std::string& name : ListFolderFiles(folder, exclusions)) {
        // An encoding that cannot be read is left to the printer's own copy.
        const std::string path = folder + "/" + name;
        if (auto text = platform::ReadFileText(path.c_str(), kMaximumSourceSize)) {
          PutEncoding(name, *text);
        }
      }
      return;
    }
    for (const ImageFile& file : BuiltinImageFiles()) {
      std::string_view name = file.printerName;
      if (!name.starts_with(kBuiltinEncodingFolder)) continue;
      name.remove_prefix(kBuiltinEncodingFolder.size());
      if (name.empty() || name.find('/') != std::string_view::npos || excluded(name)) continue;
      PutEncoding(name, file.bytes);
    }
  }

  void PutEncoding(std::string_view name, std::string_view bytes) {
    Put("\n" + PsString(name) + " {\n");
    Put(bytes);
    Put("\n} MTBRESDEF\n");
  }

  int Modules() {
    Put("MTBdict begin\n");
    Put(PathSettingsText());
    Put("(mtb/mtbspool) SPOOLNAME\t% MTB spoolfile full name\n\n");
    if (on_.local) {
      for (const std::string& path : listed_) {
        if (int code = PutListedFile(path, "\ntrue () startjob pop\n\n", "\n\n", false);
            code != TRM_OK) {
          return code;
        }
      }
    } else {
      std::vector<std::string_view> modules;
      for (const InterpreterModule& module : BuiltinModules()) modules.push_back(module.file);
      // An image built without the Lumen Imaging module has nothing to add for it.
      if (on_.lumen && FindBuiltinImageFile(std::string(kBuiltinSourceFolder) +
                                            std::string(kLumenModule.file))) {
        modules.push_back(kLumenModule.file);
      }
      for (std::string_view module : modules) {
        const std::string name = std::string(kBuiltinSourceFolder) + std::string(module);
        const ImageFile* image = FindBuiltinImageFile(name);
        if (!image) return job_.Fail(TRM_SOURCE_MISSING, name);
        Put(image->bytes);
        Put(on_.resident && IsEnciphered(image->bytes) ? "\ntrue () startjob pop\n\n" : "\n\n");
        if (int code = Flush(); code != TRM_OK) return code;
      }
    }
    Put("end     % mandatory (remove MTBdict from dict stack)\n");
    return Flush();
  }

  const JobContext& job_;
  const tpsdk::Project& project_;
  const trmPPS& pps_;
  const Switches on_;
  std::vector<std::string> listed_;  // the run file's files not written yet
  bool writeOk_ = true;
};

int WriteContainer(const JobContext& job, const trmPPS& pps) {
  if (!job.out.SetBufferSize(kStreamBufferBytes)) return job.WriteFailure();
  OpenedProject opened;
  if (int code = opened.Open(kOperation, pps); code != TRM_OK) return code;
  const Switches on(pps);
  const std::optional<std::string> path = SubmissionPath(job, opened.project(), pps, on.external);
  if (!path) return TRM_PRINT_FILE_MISSING;
  Submission submission;
  if (int code = submission.Open(job, *path); code != TRM_OK) return code;
  if (on.plainCopy) {
    if (int code = submission.CopyTo(job); code != TRM_OK) return code;
    return job.out.Flush() ? TRM_OK : job.WriteFailure();
  }
  return ContainerBody(job, opened.project(), pps).Write(submission);
}

}  // namespace
}  // namespace trm

extern "C" int trmCreatePrintableContainer(const trmPPS* pps, const trmVOS* vos) {
  if (!trm::IsInitialised()) return TRM_NOT_INITIALIZED;
  if (int code = trm::CheckOpeningParameters(trm::kOperation, pps, vos); code != TRM_OK)
    return code;
  return trm::WriteJob(trm::kOperation, *vos, trm::JobBuild::kSections,
                       [&](const trm::JobContext& job) { return trm::WriteContainer(job, *pps); });
}
