// Typed reads with their defaults, "NULL" handling and the interpreter-choice rule.

#include "settings/settings_keys.h"

#include <sstream>

#include "app_data_fixture.h"
#include "settings/settings_file.h"

namespace {

using settings::SettingsFile;
using SettingsKeys = settings_test::AppDataTest;

// Every field of the settings, in declaration order, each followed by "|".
std::string Fields(const settings::Settings& s) {
  std::ostringstream out;
  for (const auto& field :
       {std::to_string(s.hasKmRootDir), s.kmRootDir, std::to_string(s.useBuiltin), s.koraCore,
        s.koraStub, std::to_string(s.includeLMI), s.lastPrinter, std::to_string(s.statusPage),
        std::to_string(s.isMaximized), std::to_string(s.width), std::to_string(s.height),
        s.lastProjDir, s.lastSubDir, s.lastLegacyDir, s.lastFontDir}) {
    out << field << '|';
  }
  return out.str();
}

TEST_F(SettingsKeys, EveryKeyIsReadByTypeOrLeftAtItsDefault) {
  const std::string defaults = "0||0|||0||0|0|620|732|||||";
  const struct {
    const char* content;
    std::string fields;
  } cases[] = {
      {"; nothing set\n", defaults},
      // Values that cannot be read, and "NULL", which counts as empty.
      {"width=wide\nuseBuiltin=maybe\nkoraCore=NULL\nkoraStub=\n", defaults},
      // Only the exact literal is special.
      {"koraCore=null\nkoraStub=NULL\n", "0||0|null||0||0|0|620|732|||||"},
      {"kmRootDir=/opt/kora\nuseBuiltin=1\nkoraCore=/opt/core\nkoraStub=/opt/stub.run\n"
       "includeLMI=1\nlastPrinter=night\nstatusPage=1\nisMaximized=1\nwidth=1000\nheight=900\n"
       "lastProjDir=/p\nlastSubDir=/s\nlastLegacyDir=/l\nlastFontDir=/f\n",
       "1|/opt/kora|1|/opt/core|/opt/stub.run|1|night|1|1|1000|900|/p|/s|/l|/f|"},
  };
  for (const auto& c : cases) {
    Install(c.content);
    SettingsFile file;
    EXPECT_EQ(Fields(settings::ReadSettings(file)), c.fields) << c.content;
  }
  Install(cases[1].content);
  SettingsFile file;
  long width = 1;
  EXPECT_FALSE(settings::ReadLong(file, settings::kWidth, width));
  bool useBuiltin = true;
  EXPECT_FALSE(settings::ReadBool(file, settings::kUseBuiltin, useBuiltin));
  EXPECT_EQ(width, 1);
  EXPECT_TRUE(useBuiltin);
}

TEST_F(SettingsKeys, InterpreterChoiceIsCompleteOnlyWithTheRightPath) {
  const std::pair<const char*, bool> cases[] = {
      {"useBuiltin=1\nkoraStub=NULL\nkoraCore=/opt/core\n", false},
      {"useBuiltin=1\nkoraStub=/s.run\nkoraCore=\n", true},
      {"useBuiltin=0\nkoraCore=/opt/core\n", true},
      {"koraCore=/opt/core\n", true},
      {"koraCore=NULL\nkoraStub=/s.run\n", false},
      {"useBuiltin=1\n", false},
      {"", false},
  };
  for (const auto& [content, complete] : cases) {
    Install(content);
    SettingsFile file;
    EXPECT_EQ(settings::IsInterpreterChoiceComplete(file), complete) << content;
  }
}

}  // namespace
