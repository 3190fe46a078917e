// Writing the settings file: whole-file replacement through links, keeping the mode, and
// failures that are reported with the file's name and change nothing.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "settings/printer_group_store.h"
#include "settings/settings_file.h"
#include "settings/settings_keys.h"
#include "settings_scratch.h"

namespace {

namespace fs = std::filesystem;
using settings::GroupStoreStatus;
using settings_test::AppDataScratch;

constexpr char kInstalled[] = "kmRootDir=/opt/kora\n[printer-groups]\nnight=ps1\n";

std::vector<std::string> FolderEntries(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(SettingsWrite, LinkStaysAndItsTargetIsReplacedKeepingTheMode) {
  AppDataScratch scratch;
  const fs::path target = scratch.root() / "shared" / "site.ini";
  AppDataScratch::WriteFile(target, kInstalled);
  ASSERT_EQ(chmod(target.c_str(), 0640), 0);
  fs::create_directories(scratch.settingsPath().parent_path());
  fs::create_symlink(target, scratch.settingsPath());

  EXPECT_EQ(settings::SetGroupMembers("night", {"ps1", "ps2"}), GroupStoreStatus::kOk);
  EXPECT_TRUE(fs::is_symlink(scratch.settingsPath()));
  EXPECT_EQ(fs::read_symlink(scratch.settingsPath()), target);
  EXPECT_EQ(AppDataScratch::ReadFile(target),
            "kmRootDir=/opt/kora\n[printer-groups]\nnight=ps1,ps2\n");
  struct stat info {};
  ASSERT_EQ(stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  // No temporary file is left beside either.
  EXPECT_EQ(FolderEntries(target.parent_path()), std::vector<std::string>{"site.ini"});
  EXPECT_EQ(FolderEntries(scratch.settingsPath().parent_path()),
            std::vector<std::string>{"koramanage.ini"});
}

// Runs the write in a child whose files may not grow beyond 16 bytes: a limit that holds for
// root as well. The child reports the status and the message through a pipe.
std::pair<GroupStoreStatus, std::string> SetMembersWithFileSizeLimit(
    const std::vector<std::string>& members) {
  int channel[2];
  if (pipe(channel) != 0) return {GroupStoreStatus::kOk, "no pipe"};
  const pid_t child = fork();
  if (child == 0) {
    close(channel[0]);
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{16, 16};
    setrlimit(RLIMIT_FSIZE, &limit);
    std::string error;
    const auto status = settings::SetGroupMembers("night", members, {}, &error);
    const char code = static_cast<char>(status);
    if (write(channel[1], &code, 1) != 1 ||
        write(channel[1], error.data(), error.size()) != static_cast<ssize_t>(error.size())) {
      _exit(2);
    }
    _exit(0);
  }
  close(channel[1]);
  std::string reply;
  char buffer[512];
  for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;) reply.append(buffer, n);
  close(channel[0]);
  int exitStatus = 0;
  waitpid(child, &exitStatus, 0);
  if (reply.empty() || !WIFEXITED(exitStatus) || WEXITSTATUS(exitStatus) != 0) {
    return {GroupStoreStatus::kOk, "child failed"};
  }
  return {static_cast<GroupStoreStatus>(reply[0]), reply.substr(1)};
}

TEST(SettingsWrite, FailedWriteNamesTheFileAndChangesNothing) {
  AppDataScratch scratch;
  scratch.Install(kInstalled);
  const auto [status, error] = SetMembersWithFileSizeLimit({"ps1", "ps2", "ps3"});
  EXPECT_EQ(status, GroupStoreStatus::kWriteFailed);
  EXPECT_EQ(error, "cannot write the settings file " + scratch.settingsPath().string() +
                       ": File too large");
  EXPECT_EQ(AppDataScratch::ReadFile(scratch.settingsPath()), kInstalled);
  EXPECT_EQ(FolderEntries(scratch.settingsPath().parent_path()),
            std::vector<std::string>{"koramanage.ini"});
}

TEST(SettingsWrite, FileThatCannotBeReadIsNeverWritten) {
  AppDataScratch scratch;
  // A pipe in the file's place: present, but no settings can be read from it (root included).
  fs::create_directories(scratch.settingsPath().parent_path());
  ASSERT_EQ(mkfifo(scratch.settingsPath().c_str(), 0644), 0);
  const std::string expected =
      "cannot read the settings file " + scratch.settingsPath().string() + ": not a regular file";

  std::string error;
  EXPECT_TRUE(settings::ListGroups({}, &error).empty());
  EXPECT_EQ(error, expected);
  const auto added = settings::AddGroup("day", {});
  EXPECT_EQ(added.status, GroupStoreStatus::kWriteFailed);
  EXPECT_EQ(added.error, expected);
  error.clear();
  EXPECT_EQ(settings::SetGroupMembers("night", {"ps1"}, {}, &error),
            GroupStoreStatus::kWriteFailed);
  EXPECT_EQ(error, expected);
  error.clear();
  EXPECT_EQ(settings::RemoveGroup("night", {}, &error), GroupStoreStatus::kWriteFailed);
  EXPECT_EQ(error, expected);
  {
    settings::SettingsFile file;
    EXPECT_TRUE(file.found());
    EXPECT_FALSE(file.readable());
    EXPECT_TRUE(settings::WriteLong(file, settings::kWidth, 700));
    EXPECT_FALSE(file.Flush());
    EXPECT_EQ(file.lastError(), expected);
  }
  EXPECT_TRUE(fs::is_fifo(scratch.settingsPath()));
}

TEST(SettingsWrite, KeysCannotLeaveTheirPlaceAndValuesCannotAddLines) {
  AppDataScratch scratch;
  scratch.Install(kInstalled);
  {
    settings::PrinterGroupsFile file;
    for (const char* key : {"../kmRootDir", "/printer-groups/../kmRootDir", "a//b", "./night",
                            "a=b", "[x]", "a b", "a\nb", ""}) {
      EXPECT_FALSE(settings::IsSafeKey(key)) << key;
      EXPECT_FALSE(settings::WriteText(file, key, "evil")) << key;
      EXPECT_FALSE(file.DeleteEntry(wxString::FromUTF8(key))) << key;
    }
    std::string value;
    EXPECT_FALSE(settings::ReadText(file, "../kmRootDir", value));
    EXPECT_FALSE(settings::WriteText(file, "night", "ps1\nkmRootDir=/evil"));
    EXPECT_FALSE(settings::WriteText(file, "night", "ps1\rkmRootDir=/evil"));
    EXPECT_TRUE(file.Flush());
  }
  EXPECT_EQ(AppDataScratch::ReadFile(scratch.settingsPath()), kInstalled);
  for (const char* key : {"kmRootDir", "/printer-groups/night", "pg_width", "/a.b/c-d"}) {
    EXPECT_TRUE(settings::IsSafeKey(key)) << key;
  }
}

}  // namespace
