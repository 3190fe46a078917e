// Opening the settings file: found or not, never created, and text kept as it stands.

#include "settings/settings_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "settings/settings_keys.h"
#include "settings_scratch.h"

namespace {

using settings::PrinterGroupsFile;
using settings::SettingsFile;
using settings_test::AppDataScratch;

TEST(SettingsFile, FoundAtStandardLocation) {
  AppDataScratch scratch;
  scratch.Install("width=800\n");
  SettingsFile file;
  EXPECT_TRUE(file.found());
  EXPECT_EQ(file.path(), scratch.settingsPath().string());
  EXPECT_EQ(file.fileName(), "koramanage.ini");
  EXPECT_EQ(file.directory(), (scratch.root() / "Norvale/KORA/KMAN/").string());
  long width = 0;
  EXPECT_TRUE(settings::ReadLong(file, settings::kWidth, width));
  EXPECT_EQ(width, 800);
}

TEST(SettingsFile, MissingFileIsNeverCreated) {
  AppDataScratch scratch;
  {
    SettingsFile file;
    EXPECT_FALSE(file.found());
    EXPECT_TRUE(settings::WriteText(file, settings::kLastPrinter, "ps1"));
    EXPECT_FALSE(file.Flush());
  }
  {
    PrinterGroupsFile groups;
    EXPECT_FALSE(groups.found());
    settings::WriteText(groups, "g", "a,b");
  }
  EXPECT_FALSE(std::filesystem::exists(scratch.settingsPath()));
  EXPECT_FALSE(std::filesystem::exists(scratch.root() / "Norvale"));
}

TEST(SettingsFile, OtherFileByPathAbsoluteOrRelative) {
  AppDataScratch scratch;
  const auto other = scratch.root() / "elsewhere" / "mine.ini";
  AppDataScratch::WriteFile(other, "lastPrinter=ps2\n");
  {
    SettingsFile file(settings::kApplicationName, {}, other.string());
    EXPECT_TRUE(file.found());
    EXPECT_EQ(file.path(), other.string());
    EXPECT_EQ(file.fileName(), "mine.ini");
    std::string printer;
    EXPECT_TRUE(settings::ReadText(file, settings::kLastPrinter, printer));
    EXPECT_EQ(printer, "ps2");
  }
  const auto saved = std::filesystem::current_path();
  std::filesystem::current_path(other.parent_path());
  {
    SettingsFile file(settings::kApplicationName, {}, "mine.ini");
    EXPECT_TRUE(file.found());
    EXPECT_EQ(file.path(), other.string());
  }
  std::filesystem::current_path(saved);
}

TEST(SettingsFile, WritesKeepUntouchedLinesBackslashesAndDollars) {
  AppDataScratch scratch;
  scratch.Install(
      "; laid down by the installation\n"
      "kmRootDir=C:\\Program Files\\KORA\\\n"
      "koraCore=$HOME/kora\n"
      "[printer-groups]\n"
      "night=ps1,ps2\n");
  {
    SettingsFile file;
    EXPECT_TRUE(settings::WriteLong(file, settings::kWidth, 700));
    EXPECT_TRUE(settings::WriteText(file, settings::kLastSubDir, "D:\\jobs\\sub"));
  }
  const std::string text = AppDataScratch::ReadFile(scratch.settingsPath());
  EXPECT_NE(text.find("; laid down by the installation"), std::string::npos) << text;
  EXPECT_NE(text.find("kmRootDir=C:\\Program Files\\KORA\\\n"), std::string::npos) << text;
  EXPECT_NE(text.find("night=ps1,ps2"), std::string::npos) << text;

  SettingsFile again;
  std::string value;
  ASSERT_TRUE(settings::ReadText(again, settings::kLastSubDir, value));
  EXPECT_EQ(value, "D:\\jobs\\sub");
  ASSERT_TRUE(settings::ReadText(again, settings::kKmRootDir, value));
  EXPECT_EQ(value, "C:\\Program Files\\KORA\\");
  ASSERT_TRUE(settings::ReadText(again, settings::kKoraCore, value));
  EXPECT_EQ(value, "$HOME/kora");
  long width = 0;
  EXPECT_TRUE(settings::ReadLong(again, settings::kWidth, width));
  EXPECT_EQ(width, 700);
}

TEST(SettingsFile, GroupTwinStartsInGroupPath) {
  AppDataScratch scratch;
  scratch.Install("night=root level\n[printer-groups]\nnight=ps1,ps2\n");
  PrinterGroupsFile groups;
  EXPECT_TRUE(groups.found());
  EXPECT_EQ(groups.GetPath(), "/printer-groups");
  std::string value;
  ASSERT_TRUE(settings::ReadText(groups, "night", value));
  EXPECT_EQ(value, "ps1,ps2");
  ASSERT_TRUE(settings::ReadText(groups, "/night", value));
  EXPECT_EQ(value, "root level");
}

}  // namespace
