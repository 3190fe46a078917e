// Typed reads with their defaults, "NULL" handling and the interpreter-choice rule.

#include "settings/settings_keys.h"

#include <gtest/gtest.h>

#include "settings/settings_file.h"
#include "settings_scratch.h"

namespace {

using settings::SettingsFile;
using settings_test::AppDataScratch;

TEST(SettingsKeys, DefaultsWhenAbsent) {
  AppDataScratch scratch;
  scratch.Install("; nothing set\n");
  SettingsFile file;
  const settings::Settings s = settings::ReadSettings(file);
  EXPECT_FALSE(s.hasKmRootDir);
  EXPECT_FALSE(s.useBuiltin);
  EXPECT_EQ(s.koraCore, "");
  EXPECT_EQ(s.koraStub, "");
  EXPECT_FALSE(s.includeLMI);
  EXPECT_EQ(s.lastPrinter, "");
  EXPECT_FALSE(s.statusPage);
  EXPECT_FALSE(s.isMaximized);
  EXPECT_EQ(s.width, 620);
  EXPECT_EQ(s.height, 732);
  EXPECT_EQ(s.lastProjDir, "");
  EXPECT_EQ(s.lastFontDir, "");
}

TEST(SettingsKeys, ValuesAreReadByType) {
  AppDataScratch scratch;
  scratch.Install(
      "kmRootDir=/opt/kora\nuseBuiltin=1\nkoraCore=/opt/core\nkoraStub=/opt/stub.run\n"
      "includeLMI=1\nlastPrinter=night\nstatusPage=1\nisMaximized=1\nwidth=1000\nheight=900\n"
      "lastProjDir=/p\nlastSubDir=/s\nlastLegacyDir=/l\nlastFontDir=/f\n");
  SettingsFile file;
  const settings::Settings s = settings::ReadSettings(file);
  EXPECT_TRUE(s.hasKmRootDir);
  EXPECT_EQ(s.kmRootDir, "/opt/kora");
  EXPECT_TRUE(s.useBuiltin);
  EXPECT_EQ(s.koraCore, "/opt/core");
  EXPECT_EQ(s.koraStub, "/opt/stub.run");
  EXPECT_TRUE(s.includeLMI);
  EXPECT_EQ(s.lastPrinter, "night");
  EXPECT_TRUE(s.statusPage);
  EXPECT_TRUE(s.isMaximized);
  EXPECT_EQ(s.width, 1000);
  EXPECT_EQ(s.height, 900);
  EXPECT_EQ(s.lastSubDir, "/s");
  EXPECT_EQ(s.lastLegacyDir, "/l");
}

TEST(SettingsKeys, UnreadableValueLeavesDefault) {
  AppDataScratch scratch;
  scratch.Install("width=wide\nuseBuiltin=maybe\n");
  SettingsFile file;
  long width = 620;
  EXPECT_FALSE(settings::ReadLong(file, settings::kWidth, width));
  EXPECT_EQ(width, 620);
  bool useBuiltin = false;
  EXPECT_FALSE(settings::ReadBool(file, settings::kUseBuiltin, useBuiltin));
  EXPECT_FALSE(useBuiltin);
}

TEST(SettingsKeys, NullCountsAsEmpty) {
  AppDataScratch scratch;
  scratch.Install("koraCore=NULL\nkoraStub=\n");
  SettingsFile file;
  std::string value = "left over";
  EXPECT_FALSE(settings::ReadPathSetting(file, settings::kKoraCore, value));
  EXPECT_EQ(value, "");
  EXPECT_FALSE(settings::ReadPathSetting(file, settings::kKoraStub, value));
  const settings::Settings s = settings::ReadSettings(file);
  EXPECT_EQ(s.koraCore, "");
  // Only the exact literal is special.
  settings::WriteText(file, settings::kKoraCore, "null");
  EXPECT_TRUE(settings::ReadPathSetting(file, settings::kKoraCore, value));
  EXPECT_EQ(value, "null");
}

struct ChoiceCase {
  const char* content;
  bool complete;
};

class InterpreterChoice : public ::testing::TestWithParam<ChoiceCase> {};

TEST_P(InterpreterChoice, CompleteOnlyWithTheRightPath) {
  AppDataScratch scratch;
  scratch.Install(GetParam().content);
  SettingsFile file;
  EXPECT_EQ(settings::IsInterpreterChoiceComplete(file), GetParam().complete) << GetParam().content;
}

INSTANTIATE_TEST_SUITE_P(
    SettingsKeys, InterpreterChoice,
    ::testing::Values(ChoiceCase{"useBuiltin=1\nkoraStub=NULL\nkoraCore=/opt/core\n", false},
                      ChoiceCase{"useBuiltin=1\nkoraStub=/s.run\nkoraCore=\n", true},
                      ChoiceCase{"useBuiltin=0\nkoraCore=/opt/core\n", true},
                      ChoiceCase{"koraCore=/opt/core\n", true},
                      ChoiceCase{"koraCore=NULL\nkoraStub=/s.run\n", false},
                      ChoiceCase{"useBuiltin=1\n", false}, ChoiceCase{"", false}));

}  // namespace
