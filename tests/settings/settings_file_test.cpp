// Where the settings file is, opening it (found or not, never created), text kept as it stands
// when keys are written; whole-file replacement through links keeping the mode, a file that
// cannot be read is never written, and keys and values cannot reach other entries. A write that
// fails on a full disk is proven through kmjob (tests/cli).

#include "settings/settings_file.h"

#include <sys/stat.h>

#include <optional>

#include "app_data_fixture.h"
#include "settings/printer_group_store.h"
#include "settings/settings_keys.h"

namespace {

namespace fs = std::filesystem;
using settings::GroupStoreStatus;
using settings::PrinterGroupsFile;
using settings::SettingsFile;
using Strings = std::vector<std::string>;
using SettingsFileTest = settings_test::AppDataTest;

TEST_F(SettingsFileTest, LocationFollowsTheAppDataVariableAndTheName) {
  const struct {
    std::optional<std::string> appData;
    const char* name;
    const char* folder;  // CommonAppDataFolder
    const char* path;
  } cases[] = {
      {std::nullopt, "koramanage", "/var/lib", "/var/lib/Norvale/KORA/KMAN/koramanage.ini"},
      {"", "koramanage.ini", "/var/lib", "/var/lib/Norvale/KORA/KMAN/koramanage.ini"},
      // Only exactly koramanage.ini gets the KMAN folder.
      {"/srv/km///", "KoraManage.ini", "/srv/km", "/srv/km/Norvale/KORA/KoraManage.ini"},
      {"/srv/km/", "other", "/srv/km", "/srv/km/Norvale/KORA/other.ini"},
      {"/srv/km", "my.ini.bak", "/srv/km", "/srv/km/Norvale/KORA/my.ini.bak"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const km_test::EnvOverride appData("KORAMANAGE_APPDATA", c.appData);
    EXPECT_EQ(settings::CommonAppDataFolder(), c.folder);
    const std::string fileName = settings::SettingsFileName(c.name);
    EXPECT_EQ(fs::path(c.path).filename(), fileName);
    EXPECT_EQ(settings::SettingsFolder(fileName) + fileName, c.path);
    EXPECT_EQ(settings::SettingsPath(c.name), c.path);
  }
  EXPECT_EQ(settings::CommonAppDataFolder(), root().string());
}

TEST_F(SettingsFileTest, FoundByStandardAbsoluteOrRelativePath) {
  Install("width=800\nnight=root level\n[printer-groups]\nnight=ps1,ps2\n");
  SettingsFile file;
  EXPECT_TRUE(file.found());
  EXPECT_EQ(file.path(), settingsPath().string());
  EXPECT_EQ(file.fileName(), "koramanage.ini");
  EXPECT_EQ(file.directory(), (root() / "Norvale/KORA/KMAN/").string());
  long width = 0;
  EXPECT_TRUE(settings::ReadLong(file, settings::kWidth, width));
  EXPECT_EQ(width, 800);
  // The group twin starts in the group path.
  PrinterGroupsFile groups;
  EXPECT_EQ(groups.GetPath(), "/printer-groups");
  std::string value;
  EXPECT_TRUE(settings::ReadText(groups, "night", value) && value == "ps1,ps2") << value;
  EXPECT_TRUE(settings::ReadText(groups, "/night", value) && value == "root level") << value;

  const fs::path other = root() / "elsewhere" / "mine.ini";
  km_test::WriteFile(other, "lastPrinter=ps2\n");
  fs::current_path(other.parent_path());  // the scratch folder restores the old one
  for (const std::string& given : {other.string(), std::string("mine.ini")}) {
    SettingsFile file(settings::kApplicationName, {}, given);
    EXPECT_TRUE(file.found()) << given;
    EXPECT_EQ(file.path(), other.string());
    EXPECT_EQ(file.fileName(), "mine.ini");
    std::string printer;
    EXPECT_TRUE(settings::ReadText(file, settings::kLastPrinter, printer));
    EXPECT_EQ(printer, "ps2");
  }
}

TEST_F(SettingsFileTest, MissingFileIsNeverCreated) {
  {
    SettingsFile file;
    EXPECT_FALSE(file.found());
    EXPECT_TRUE(settings::WriteText(file, settings::kLastPrinter, "ps1"));
    EXPECT_FALSE(file.Flush());
    PrinterGroupsFile groups;
    EXPECT_FALSE(groups.found());
    settings::WriteText(groups, "g", "a,b");
  }
  EXPECT_FALSE(fs::exists(root() / "Norvale"));
}

TEST_F(SettingsFileTest, WritesKeepUntouchedLinesBackslashesAndDollars) {
  Install(
      "; laid down by the installation\nkmRootDir=C:\\Program Files\\KORA\\\n"
      "koraCore=$HOME/kora\n[printer-groups]\nnight=ps1,ps2\n");
  {
    SettingsFile file;
    EXPECT_TRUE(settings::WriteLong(file, settings::kWidth, 700));
    EXPECT_TRUE(settings::WriteText(file, settings::kLastSubDir, "D:\\jobs\\sub"));
  }
  const std::string text = Installed();
  for (const char* kept : {"; laid down by the installation\n",
                           "kmRootDir=C:\\Program Files\\KORA\\\n", "night=ps1,ps2"}) {
    EXPECT_NE(text.find(kept), std::string::npos) << text;
  }
  SettingsFile again;
  const settings::Settings read = settings::ReadSettings(again);
  EXPECT_EQ(read.lastSubDir, "D:\\jobs\\sub");
  EXPECT_EQ(read.kmRootDir, "C:\\Program Files\\KORA\\");
  EXPECT_EQ(read.koraCore, "$HOME/kora");
  EXPECT_EQ(read.width, 700);
}

constexpr char kInstalled[] = "kmRootDir=/opt/kora\n[printer-groups]\nnight=ps1\n";

TEST_F(SettingsFileTest, LinkStaysAndItsTargetIsReplacedKeepingTheMode) {
  const fs::path target = root() / "shared" / "site.ini";
  km_test::WriteFile(target, kInstalled);
  ASSERT_EQ(chmod(target.c_str(), 0640), 0);
  fs::create_directories(settingsPath().parent_path());
  fs::create_symlink(target, settingsPath());

  EXPECT_EQ(settings::SetGroupMembers("night", {"ps1", "ps2"}), GroupStoreStatus::kOk);
  EXPECT_EQ(fs::read_symlink(settingsPath()), target);
  EXPECT_EQ(km_test::ReadFile(target), "kmRootDir=/opt/kora\n[printer-groups]\nnight=ps1,ps2\n");
  struct stat info {};
  ASSERT_EQ(stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  // No temporary file is left beside either.
  EXPECT_EQ(km_test::FolderEntries(target.parent_path()), Strings{"site.ini"});
  EXPECT_EQ(km_test::FolderEntries(settingsPath().parent_path()), Strings{"koramanage.ini"});
}

TEST_F(SettingsFileTest, FileThatCannotBeReadIsNeverWritten) {
  // A pipe in the file's place: present, but no settings can be read from it (root included).
  fs::create_directories(settingsPath().parent_path());
  ASSERT_EQ(mkfifo(settingsPath().c_str(), 0644), 0);
  const std::string expected =
      "cannot read the settings file " + settingsPath().string() + ": not a regular file";
  std::string listError, setError, removeError;
  EXPECT_TRUE(settings::ListGroups({}, &listError).empty());
  const auto added = settings::AddGroup("day", {});
  EXPECT_EQ(settings::SetGroupMembers("night", {"ps1"}, {}, &setError),
            GroupStoreStatus::kWriteFailed);
  EXPECT_EQ(settings::RemoveGroup("night", {}, &removeError), GroupStoreStatus::kWriteFailed);
  EXPECT_EQ(added.status, GroupStoreStatus::kWriteFailed);
  EXPECT_EQ((Strings{listError, added.error, setError, removeError}), Strings(4, expected));
  {
    settings::SettingsFile file;
    EXPECT_TRUE(file.found());
    EXPECT_FALSE(file.readable());
    EXPECT_TRUE(settings::WriteLong(file, settings::kWidth, 700));
    EXPECT_FALSE(file.Flush());
    EXPECT_EQ(file.lastError(), expected);
  }
  EXPECT_TRUE(fs::is_fifo(settingsPath()));
}

TEST_F(SettingsFileTest, KeysCannotLeaveTheirPlaceAndValuesCannotAddLines) {
  Install(kInstalled);
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
    for (const char* evil : {"ps1\nkmRootDir=/evil", "ps1\rkmRootDir=/evil"}) {
      EXPECT_FALSE(settings::WriteText(file, "night", evil)) << evil;
    }
    EXPECT_TRUE(file.Flush());
  }
  EXPECT_EQ(Installed(), kInstalled);
  for (const char* key : {"kmRootDir", "/printer-groups/night", "pg_width", "/a.b/c-d"}) {
    EXPECT_TRUE(settings::IsSafeKey(key)) << key;
  }
}

}  // namespace
