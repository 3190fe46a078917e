// The task sequence against the private print server: what it sends, what it reports and
// what it leaves behind.

#include "tasks/task_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <utility>

#include "env_override.h"
#include "file_io.h"
#include "printing_server_env.h"
#include "scratch_folder.h"

namespace {

namespace fs = std::filesystem;
using printing_test::SharedServer;
using tasks::TaskResult;
using Calls = std::vector<std::string>;

class RecordingTaskReporter : public tasks::TaskReporter {
 public:
  void WritingJob(const std::string& text) override { calls.push_back("writing:" + text); }
  void JobWritten(const std::string& path) override { calls.push_back("written:" + path); }
  void Delivering(const std::string& document, const std::string& destination) override {
    calls.push_back("delivering:" + document + " to " + destination);
  }
  void NoTemporaryFile(const std::string& reason) override { calls.push_back("notemp:" + reason); }
  void GeneratorFailed(int status, const std::string& detail) override {
    calls.push_back("failed:" + std::to_string(status) + " " + detail);
  }
  void Beep() override { calls.push_back("beep"); }
  void SetStatusText(const std::string& text) override { calls.push_back("status:" + text); }
  void ShowError(const std::string& message) override { calls.push_back("error:" + message); }
  Calls calls;
};

struct FosDeleter {
  void operator()(trmFOS* fos) const { trmFreeFOS(fos); }
};

class TaskRun : public ::testing::Test {
 protected:
  TaskRun() {
    fs::create_directories(temp_);
    EXPECT_EQ(trmInitialize(), TRM_OK);
  }
  ~TaskRun() override { trmFinished(); }

  // A task loading one local file, or none (the generator refuses that); notes the job path
  // the generator was given and what it wrote there.
  TaskResult Run(bool withFile, std::optional<std::string> destination, std::string output) {
    tasks::TaskRequest request;
    request.documentName = "[Load Legacy Files]";
    request.progressText = "Writing...";
    request.destination = std::move(destination);
    request.outputPath = std::move(output);
    request.writeJob = [&](const trmVOS* vos) {
      std::unique_ptr<trmFOS, FosDeleter> fos(trmNewFOS());
      if (withFile) trmFOSAddLoadFile(fos.get(), source_.c_str(), "");
      jobPath_ = trmVOSGetOutputPath(vos) ? trmVOSGetOutputPath(vos) : "";
      const int status = trmCreateFileLoader(fos.get(), vos);
      if (status == TRM_OK) written_ = km_test::ReadFile(jobPath_);
      return status;
    };
    reporter_.calls.clear();
    return tasks::RunTask(request, reporter_).result;
  }

  km_test::ScratchFolder folder_{"km_tasks"};
  fs::path temp_ = folder_ / "tmp";
  km_test::EnvOverride tmpdir_{"TMPDIR", temp_.string()};
  std::string source_ = folder_.File("logo.frm", "logo").string();
  RecordingTaskReporter reporter_;
  std::string jobPath_, written_;
};

TEST_F(TaskRun, TemporaryJobIsDeliveredByteForByteAndRemoved) {
  const std::size_t before = SharedServer().ReceivedJobs("km_ps_one").size();
  EXPECT_EQ(Run(true, "km_ps_one", ""), TaskResult::kDelivered);
  EXPECT_EQ(reporter_.calls, (Calls{"writing:Writing...", "written:" + jobPath_,
                                    "delivering:[Load Legacy Files] to km_ps_one", "beep",
                                    "status:[Load Legacy Files] completed successfully"}));
  ASSERT_TRUE(SharedServer().WaitForJobs("km_ps_one", before + 1));
  EXPECT_NE(written_.find("load_file"), std::string::npos);
  EXPECT_TRUE(km_test::ReadFile(SharedServer().ReceivedJobs("km_ps_one").back()) == written_);
  EXPECT_EQ(fs::path(jobPath_).parent_path(), temp_);
  EXPECT_TRUE(km_test::FolderEntries(temp_).empty());
}

TEST_F(TaskRun, FailuresAreReportedAndLeaveNothing) {
  const std::string output = (folder_ / "job.ps").string();
  const std::size_t queued = printing_test::QueueJobs("km_ps_one", CUPS_WHICHJOBS_ALL).size();
  const std::pair<std::string, std::optional<std::string>> targets[] = {
      {"", "km_ps_one"}, {output, "km_ps_one"}, {output, std::nullopt}};
  for (const auto& [path, destination] : targets) {
    EXPECT_EQ(Run(false, destination, path), TaskResult::kGeneratorFailed) << path;
    EXPECT_EQ(reporter_.calls,
              (Calls{"writing:Writing...",
                     "failed:1017 trmFOS.loadFilesList or trmFOS.printerFilesList"}));
    EXPECT_FALSE(fs::exists(jobPath_)) << jobPath_;
  }
  EXPECT_EQ(printing_test::QueueJobs("km_ps_one", CUPS_WHICHJOBS_ALL).size(), queued);
  EXPECT_TRUE(km_test::FolderEntries(temp_).empty());

  const std::string gone = (folder_ / "gone").string();
  const km_test::EnvOverride missingTemp("TMPDIR", gone);
  EXPECT_EQ(Run(true, "km_ps_one", ""), TaskResult::kNoTemporaryFile);
  ASSERT_EQ(reporter_.calls.size(), 1u);  // the generator was not called either
  EXPECT_EQ(reporter_.calls[0].rfind("notemp:cannot create a temporary file in " + gone, 0), 0u)
      << reporter_.calls[0];
  EXPECT_FALSE(fs::exists(gone));
}

}  // namespace
