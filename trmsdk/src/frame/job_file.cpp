#include "frame/job_file.h"

#include <cerrno>
#include <cstdio>
#include <exception>
#include <optional>

#include "frame/debug_log.h"
#include "frame/library_state.h"
#include "frame/lock_file.h"
#include "frame/output_target.h"
#include "frame/scratch_name.h"
#include "frame/status.h"
#include "platform/file_helpers.h"
#include "platform/path_kind.h"
#include "platform/path_parts.h"
#include "trm.h"

namespace trm {
namespace {

// A fresh scratch name is drawn when one is taken; a few collisions mean something else is
// wrong.
constexpr int kScratchAttempts = 4;

}  // namespace

JobWriter::JobWriter(std::string outputPath)
    : outputPath_(std::move(outputPath)), file_(nullptr, &std::fclose) {}

JobWriter::~JobWriter() {
  if (committed_ || scratchPath_.empty()) return;
  file_.reset();
  std::remove(scratchPath_.c_str());
}

bool JobWriter::Open() {
  for (int attempt = 0; attempt < kScratchAttempts; ++attempt) {
    std::string scratch = platform::Beside(outputPath_, NewScratchName());
    file_.reset(std::fopen(scratch.c_str(), "wbx"));
    if (file_) {
      scratchPath_ = std::move(scratch);
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

bool JobWriter::SetBufferSize(std::size_t bytes) {
  if (!file_ || bytes == 0) return false;
  auto buffer = std::make_unique<char[]>(bytes);
  if (std::setvbuf(file_.get(), buffer.get(), _IOFBF, bytes) != 0) return false;
  buffer_ = std::move(buffer);
  return true;
}

bool JobWriter::Write(std::string_view text) {
  return file_ && std::fwrite(text.data(), 1, text.size(), file_.get()) == text.size();
}

bool JobWriter::Flush() {
  return file_ && std::fflush(file_.get()) == 0;
}

JobWriter::Commit JobWriter::CommitAs(bool replace) {
  if (!file_) return Commit::kFailed;
  std::FILE* file = file_.release();
  if (std::fclose(file) != 0) return Commit::kFailed;
  if (replace) {
    if (std::rename(scratchPath_.c_str(), outputPath_.c_str()) != 0) return Commit::kFailed;
  } else {
    switch (platform::RenameNoReplace(scratchPath_.c_str(), outputPath_.c_str())) {
      case platform::RenameResult::kDone:
        break;
      case platform::RenameResult::kTargetExists:
        return Commit::kOutputExists;
      case platform::RenameResult::kFailed:
        return Commit::kFailed;
    }
  }
  committed_ = true;
  return Commit::kDone;
}

int JobContext::Fail(int code, std::string_view detail) const {
  return SetStatus(code, operation, detail);
}

int JobContext::Section(std::string_view text) const {
  return out.Write(text) && out.Flush() ? TRM_OK : WriteFailure();
}

int MissingParameter(std::string_view operation, std::string_view parameterName) {
  SetStatus(TRM_INVALID_PARAMETER, operation, parameterName);
  WriteDebugLog(LastMessage());
  return TRM_INVALID_PARAMETER;
}

namespace {

// What the job is written to, beside what the caller named.
struct Output {
  const std::string& path;  // as given: the detail of every status
  std::string target;       // the file itself, past any links
  bool replace;
};

// 1001 while the output may be written: nothing there yet, or a regular file to be replaced.
// Anything else that stands there (a device, a FIFO, a folder) is never replaced.
int CheckExisting(std::string_view operation, const Output& output) {
  const platform::PathKind kind =
      platform::KindOf(output.target.c_str(), platform::Links::kDoNotFollow);
  if (kind == platform::PathKind::kMissing || kind == platform::PathKind::kUnreachable) {
    return TRM_OK;
  }
  if (!output.replace) return SetStatus(TRM_OUTPUT_EXISTS, operation, output.path);
  if (kind == platform::PathKind::kRegular) return TRM_OK;
  std::string detail = output.path;
  if (output.target != output.path) detail.append(" -> ").append(output.target);
  detail.append(": ").append(platform::KindDescription(kind));
  return SetStatus(TRM_WRITE_PROBLEM, operation, detail);
}

int WriteUnderLock(std::string_view operation, const Output& output, JobBuild build,
                   const std::function<int(const JobContext&)>& body) {
  platform::MakeDirPath(output.target.c_str());
  RemoveDeadOwnersLocks(State().tempDirectory);
  LockFile lock(output.target, State().tempDirectory);
  if (!lock.held()) {
    return SetStatus(build == JobBuild::kSections ? TRM_ACCESS_PROBLEM : TRM_WRITE_PROBLEM,
                     operation, output.path);
  }
  // Another writer may have finished this output while this one waited for the lock.
  if (int code = CheckExisting(operation, output); code != TRM_OK) return code;
  RemoveDeadOwnersScratch(platform::FolderOfFile(output.target));
  JobWriter writer(output.target);
  if (!writer.Open()) return SetStatus(TRM_WRITE_PROBLEM, operation, output.path);
  JobContext context{operation, output.path, writer};
  int code;
  try {
    code = body(context);
  } catch (const std::exception&) {
    // Out of memory or no thread for the encoder: the job cannot be written.
    code = SetStatus(TRM_WRITE_PROBLEM, operation, output.path);
  }
  if (code != TRM_OK) return code;
  switch (writer.CommitAs(output.replace)) {
    case JobWriter::Commit::kDone:
      return SetStatus(TRM_OK, operation, output.path);
    case JobWriter::Commit::kOutputExists:
      return SetStatus(TRM_OUTPUT_EXISTS, operation, output.path);
    case JobWriter::Commit::kFailed:
      break;
  }
  return SetStatus(TRM_WRITE_PROBLEM, operation, output.path);
}

int WriteResolvedJob(std::string_view operation, const trmVOS& vos, JobBuild build,
                     const std::function<int(const JobContext&)>& body) {
  const std::string& outputPath = *vos.outputPath;
  std::optional<std::string> target = OutputTarget(outputPath);
  if (!target) return SetStatus(TRM_WRITE_PROBLEM, operation, outputPath);
  const Output output{outputPath, std::move(*target), (vos.flags & TRM_FLAG_REPLACE) != 0};
  if (int code = CheckExisting(operation, output); code != TRM_OK) return code;
  return WriteUnderLock(operation, output, build, body);
}

}  // namespace

int WriteJob(std::string_view operation, const trmVOS& vos, JobBuild build,
             const std::function<int(const JobContext&)>& body) {
  std::string start = "[";
  start.append(operation).append("] START");
  WriteDebugLog(start);
  const int code = WriteResolvedJob(operation, vos, build, body);
  WriteDebugLog(LastMessage());
  return code;
}

int WriteBuiltJob(std::string_view operation, const trmVOS& vos, std::string_view job) {
  return WriteJob(operation, vos, JobBuild::kInMemory,
                  [&](const JobContext& context) { return context.Section(job); });
}

}  // namespace trm
