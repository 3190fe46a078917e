// The task sequence against the private print server: the job file it makes, what it sends,
// what it reports and what it leaves behind.

#include "tasks/task_run.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <optional>

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
  void SetUp() override {
    fs::create_directories(temp_);
    ASSERT_EQ(trmInitialize(), TRM_OK);
  }
  void TearDown() override { trmFinished(); }

  // A request whose job loads the given local files; it notes the output record it was given
  // and the bytes the generator wrote.
  tasks::TaskRequest LoadRequest(std::vector<std::string> files) {
    tasks::TaskRequest request;
    request.documentName = "[Load Legacy Files]";
    request.progressText = "Writing...";
    request.writeJob = [this, files](const trmVOS* vos) {
      std::unique_ptr<trmFOS, FosDeleter> fos(trmNewFOS());
      for (const std::string& file : files) trmFOSAddLoadFile(fos.get(), file.c_str(), "");
      seenPath_ = trmVOSGetOutputPath(vos) ? trmVOSGetOutputPath(vos) : "";
      seenFlags_ = trmVOSGetFlags(vos);
      fileBefore_ = fs::exists(seenPath_);
      const int status = trmCreateFileLoader(fos.get(), vos);
      if (status == TRM_OK) written_ = km_test::ReadFile(seenPath_);
      return status;
    };
    return request;
  }

  km_test::ScratchFolder folder_{"km_tasks"};
  fs::path temp_ = folder_ / "tmp";
  km_test::EnvOverride tmpdir_{"TMPDIR", temp_.string()};
  std::string source_ = folder_.File("logo.frm", "logo").string();
  std::string seenPath_;
  unsigned int seenFlags_ = 0;
  bool fileBefore_ = false;
  std::string written_;
};

TEST_F(TaskRun, TemporaryJobIsDeliveredUnchangedAndRemoved) {
  tasks::TaskRequest request = LoadRequest({source_});
  request.destination = "km_ps_one";
  const std::size_t before = SharedServer().ReceivedJobs("km_ps_one").size();
  RecordingTaskReporter reporter;
  const tasks::TaskOutcome outcome = tasks::RunTask(request, reporter);

  EXPECT_EQ(outcome.result, TaskResult::kDelivered);
  EXPECT_EQ(fs::path(seenPath_).parent_path(), temp_);
  EXPECT_EQ(fs::path(seenPath_).filename().string().rfind("trm", 0), 0u) << seenPath_;
  EXPECT_TRUE(fileBefore_);
  EXPECT_EQ(seenFlags_, TRM_FLAG_REPLACE);
  EXPECT_EQ(reporter.calls, (Calls{"writing:Writing...", "written:" + seenPath_,
                                   "delivering:[Load Legacy Files] to km_ps_one", "beep",
                                   "status:[Load Legacy Files] completed successfully"}));
  ASSERT_TRUE(SharedServer().WaitForJobs("km_ps_one", before + 1));
  EXPECT_NE(written_.find("load_file"), std::string::npos);
  EXPECT_TRUE(km_test::ReadFile(SharedServer().ReceivedJobs("km_ps_one").back()) == written_);
  EXPECT_TRUE(km_test::FolderEntries(temp_).empty());
}

TEST_F(TaskRun, GeneratorFailureIsReportedAndLeavesNothing) {
  const std::string output = (folder_ / "job.ps").string();
  struct Case {
    std::string outputPath;
    std::optional<std::string> destination;
  };
  for (const Case& c :
       {Case{{}, "km_ps_one"}, Case{output, "km_ps_one"}, Case{output, std::nullopt}}) {
    // A loader without files is refused, with the missing field as detail.
    tasks::TaskRequest request = LoadRequest({});
    request.outputPath = c.outputPath;
    request.destination = c.destination;
    const std::size_t queued = printing_test::QueueJobs("km_ps_one", CUPS_WHICHJOBS_ALL).size();
    RecordingTaskReporter reporter;
    const tasks::TaskOutcome outcome = tasks::RunTask(request, reporter);

    EXPECT_EQ(outcome.result, TaskResult::kGeneratorFailed) << c.outputPath;
    EXPECT_EQ(outcome.status, TRM_INVALID_PARAMETER);
    EXPECT_EQ(reporter.calls,
              (Calls{"writing:Writing...",
                     "failed:1017 trmFOS.loadFilesList or trmFOS.printerFilesList"}));
    EXPECT_EQ(printing_test::QueueJobs("km_ps_one", CUPS_WHICHJOBS_ALL).size(), queued);
    EXPECT_FALSE(fs::exists(seenPath_)) << seenPath_;
    EXPECT_TRUE(km_test::FolderEntries(temp_).empty());
  }
}

TEST_F(TaskRun, OutputWithoutDestinationIsKeptAndMissingTemporaryFolderStopsTheTask) {
  const std::string output = (folder_ / "kept.ps").string();
  for (const bool overwrite : {false, true}) {
    tasks::TaskRequest request = LoadRequest({source_});
    request.outputPath = output;
    request.overwriteOutput = overwrite;
    RecordingTaskReporter reporter;
    EXPECT_EQ(tasks::RunTask(request, reporter).result, TaskResult::kWritten);
    EXPECT_EQ(seenFlags_, overwrite ? TRM_FLAG_REPLACE : 0u);
    EXPECT_EQ(reporter.calls, (Calls{"writing:Writing...", "written:" + output}));
    EXPECT_EQ(km_test::ReadFile(output), written_);
  }

  const std::string gone = (folder_ / "gone").string();
  km_test::EnvOverride missingTemp("TMPDIR", gone);
  tasks::TaskRequest request = LoadRequest({source_});
  request.destination = "km_ps_one";
  seenPath_ = "not called";
  RecordingTaskReporter reporter;
  EXPECT_EQ(tasks::RunTask(request, reporter).result, TaskResult::kNoTemporaryFile);
  ASSERT_EQ(reporter.calls.size(), 1u);
  EXPECT_EQ(reporter.calls[0].rfind("notemp:cannot create a temporary file in " + gone, 0), 0u)
      << reporter.calls[0];
  EXPECT_EQ(seenPath_, "not called");
  EXPECT_FALSE(fs::exists(gone));
}

}  // namespace
