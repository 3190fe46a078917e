#include "frame/job_file.h"

#include <unistd.h>

#include <cstdio>
#include <exception>
#include <filesystem>

#include "frame/debug_log.h"
#include "frame/library_state.h"
#include "frame/lock_file.h"
#include "frame/status.h"
#include "platform/file_layer.h"
#include "trm.h"

namespace trm {

JobWriter::JobWriter(std::string outputPath)
    : outputPath_(std::move(outputPath)),
      scratchPath_(outputPath_ + ".trm-" + std::to_string(getpid()) + ".part"),
      file_(nullptr, &std::fclose) {}

JobWriter::~JobWriter() {
  if (committed_) return;
  file_.reset();
  std::remove(scratchPath_.c_str());
}

bool JobWriter::Open() {
  file_.reset(std::fopen(scratchPath_.c_str(), "wbx"));
  if (!file_) {
    // A scratch file left by a crashed run of this same process id.
    std::remove(scratchPath_.c_str());
    file_.reset(std::fopen(scratchPath_.c_str(), "wbx"));
  }
  return file_ != nullptr;
}

bool JobWriter::Write(std::string_view text) {
  return file_ && std::fwrite(text.data(), 1, text.size(), file_.get()) == text.size();
}

bool JobWriter::Flush() {
  return file_ && std::fflush(file_.get()) == 0;
}

bool JobWriter::Commit() {
  if (!file_) return false;
  std::FILE* file = file_.release();
  bool closed = std::fclose(file) == 0;
  if (!closed || std::rename(scratchPath_.c_str(), outputPath_.c_str()) != 0) return false;
  committed_ = true;
  return true;
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

int WriteUnderLock(std::string_view operation, const std::string& outputPath, JobBuild build,
                   const std::function<int(const JobContext&)>& body) {
  platform::MakeDirPath(outputPath.c_str());
  LockFile lock(outputPath, State().tempDirectory);
  if (!lock.held()) {
    return SetStatus(build == JobBuild::kSections ? TRM_ACCESS_PROBLEM : TRM_WRITE_PROBLEM,
                     operation, outputPath);
  }
  JobWriter writer(outputPath);
  if (!writer.Open()) return SetStatus(TRM_WRITE_PROBLEM, operation, outputPath);
  JobContext context{operation, outputPath, writer};
  int code;
  try {
    code = body(context);
  } catch (const std::exception&) {
    // Out of memory or no thread for the encoder: the job cannot be written.
    code = SetStatus(TRM_WRITE_PROBLEM, operation, outputPath);
  }
  if (code != TRM_OK) return code;
  if (!writer.Commit()) return SetStatus(TRM_WRITE_PROBLEM, operation, outputPath);
  return SetStatus(TRM_OK, operation, outputPath);
}

}  // namespace

int WriteJob(std::string_view operation, const trmVOS& vos, JobBuild build,
             const std::function<int(const JobContext&)>& body) {
  const std::string& outputPath = *vos.outputPath;
  std::string start = "[";
  start.append(operation).append("] START");
  WriteDebugLog(start);
  std::error_code error;
  int code;
  if (std::filesystem::exists(outputPath, error) && !(vos.flags & TRM_FLAG_REPLACE)) {
    code = SetStatus(TRM_OUTPUT_EXISTS, operation, outputPath);
  } else {
    code = WriteUnderLock(operation, outputPath, build, body);
  }
  WriteDebugLog(LastMessage());
  return code;
}

}  // namespace trm
