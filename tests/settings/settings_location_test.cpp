// Where the settings file is looked for.

#include <gtest/gtest.h>

#include "settings/settings_file.h"
#include "settings_scratch.h"

namespace {

using settings::CommonAppDataFolder;
using settings::SettingsFileName;
using settings::SettingsFolder;
using settings::SettingsPath;

TEST(SettingsLocation, FileNameGetsIniOnlyWhenMissing) {
  EXPECT_EQ(SettingsFileName("koramanage"), "koramanage.ini");
  EXPECT_EQ(SettingsFileName("koramanage.ini"), "koramanage.ini");
  EXPECT_EQ(SettingsFileName("my.ini.bak"), "my.ini.bak");
  EXPECT_EQ(SettingsFileName("other"), "other.ini");
}

TEST(SettingsLocation, AppDataVariableOverridesMachineFolder) {
  settings_test::AppDataScratch scratch;
  EXPECT_EQ(CommonAppDataFolder(), scratch.root().string());
  unsetenv("KORAMANAGE_APPDATA");
  EXPECT_EQ(CommonAppDataFolder(), "/var/lib");
  setenv("KORAMANAGE_APPDATA", "", 1);
  EXPECT_EQ(CommonAppDataFolder(), "/var/lib");
  setenv("KORAMANAGE_APPDATA", "/srv/km///", 1);
  EXPECT_EQ(CommonAppDataFolder(), "/srv/km");
}

TEST(SettingsLocation, OnlyExactlyKoramanageIniGetsKmanFolder) {
  settings_test::AppDataScratch scratch;
  setenv("KORAMANAGE_APPDATA", "/srv/km/", 1);
  EXPECT_EQ(SettingsFolder("koramanage.ini"), "/srv/km/Norvale/KORA/KMAN/");
  EXPECT_EQ(SettingsFolder("KoraManage.ini"), "/srv/km/Norvale/KORA/");
  EXPECT_EQ(SettingsFolder("other.ini"), "/srv/km/Norvale/KORA/");
  EXPECT_EQ(SettingsPath("koramanage"), "/srv/km/Norvale/KORA/KMAN/koramanage.ini");
  EXPECT_EQ(SettingsPath("other"), "/srv/km/Norvale/KORA/other.ini");
}

TEST(SettingsLocation, DefaultIsUnderVarLib) {
  settings_test::AppDataScratch scratch;
  unsetenv("KORAMANAGE_APPDATA");
  EXPECT_EQ(SettingsPath("koramanage"), "/var/lib/Norvale/KORA/KMAN/koramanage.ini");
}

}  // namespace
