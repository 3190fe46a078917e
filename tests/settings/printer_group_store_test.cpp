// Printer groups in the settings file: naming rules, stored values, add/set/remove/list.

#include "settings/printer_group_store.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "settings/settings_file.h"
#include "settings_scratch.h"

namespace {

using settings::GroupNameCheck;
using settings::GroupStoreStatus;
using settings_test::AppDataScratch;

bool IsPrinter(const std::string& name) {
  // Installed printers compare without regard to letter case.
  std::string lower;
  for (char c : name) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower == "ps1" || lower == "office_laser";
}

GroupNameCheck Check(const std::string& typed, std::vector<std::string> groups = {}) {
  return settings::CheckGroupName(typed, groups, IsPrinter).check;
}

TEST(GroupNames, RulesInOrder) {
  EXPECT_EQ(Check(""), GroupNameCheck::kEmpty);
  EXPECT_EQ(Check("   \t"), GroupNameCheck::kEmpty);
  EXPECT_EQ(Check(std::string(32, 'a')), GroupNameCheck::kAccepted);
  EXPECT_EQ(Check(std::string(33, 'a')), GroupNameCheck::kTooLong);
  // Length is checked before characters.
  EXPECT_EQ(Check(std::string(33, '-')), GroupNameCheck::kTooLong);
  EXPECT_EQ(Check("PS1"), GroupNameCheck::kPrinterName);
  EXPECT_EQ(Check("Office_Laser"), GroupNameCheck::kPrinterName);
  EXPECT_EQ(Check("Night", {"day", "night"}), GroupNameCheck::kExists);
  EXPECT_EQ(Check("bad-name"), GroupNameCheck::kBadCharacter);
  EXPECT_EQ(Check("Night_Shift_2"), GroupNameCheck::kAccepted);
}

TEST(GroupNames, TrailingBlanksTrimmedLeadingRefused) {
  auto result = settings::CheckGroupName("night  \t", {}, IsPrinter);
  EXPECT_EQ(result.check, GroupNameCheck::kAccepted);
  EXPECT_EQ(result.name, "night");
  EXPECT_EQ(Check(" night"), GroupNameCheck::kBadCharacter);
  // Characters count, not bytes: 31 letters and one two-byte letter are 32 characters.
  EXPECT_EQ(Check(std::string(31, 'a') + "\xC3\xA9"), GroupNameCheck::kBadCharacter);
}

TEST(GroupNames, Messages) {
  using settings::GroupNameMessage;
  using settings::GroupNameResult;
  EXPECT_EQ(GroupNameMessage({GroupNameCheck::kTooLong, "x"}),
            "Please limit the printer group name to at most 32 characters.");
  EXPECT_EQ(GroupNameMessage({GroupNameCheck::kPrinterName, "PS1"}),
            "Group name cannot be the same as a printer name.\n\nPS1");
  EXPECT_EQ(GroupNameMessage({GroupNameCheck::kExists, "night"}),
            "The group already exists.\n\nnight");
  EXPECT_EQ(GroupNameMessage({GroupNameCheck::kBadCharacter, "a-b"}),
            "Printer group name may only contain underscore, and alphanumeric characters.");
  EXPECT_EQ(GroupNameMessage({GroupNameCheck::kAccepted, "ok"}), "");
  EXPECT_EQ(settings::RemoveGroupMessage("night"), "Problem removing the selected group.\n\nnight");
}

TEST(GroupValues, SplitDropsEmptyPartsWithoutTrimming) {
  using V = std::vector<std::string>;
  EXPECT_EQ(settings::SplitGroupValue(",,A,,B,"), (V{"A", "B"}));
  EXPECT_EQ(settings::SplitGroupValue("A, B"), (V{"A", " B"}));
  EXPECT_EQ(settings::SplitGroupValue(""), V{});
  EXPECT_EQ(settings::SplitGroupValue(",,,"), V{});
  EXPECT_EQ(settings::SplitGroupValue("one"), V{"one"});
}

TEST(GroupValues, BuildStopsOnlyAfterTheSoftLimit) {
  EXPECT_EQ(settings::BuildGroupValue({"a", "b", "c"}), "a,b,c");
  EXPECT_EQ(settings::BuildGroupValue({}), "");
  // 2999 characters, then one more member is still appended; the next is not.
  const std::string first(2999, 'x');
  EXPECT_EQ(settings::BuildGroupValue({first, "late", "never"}), first + ",late");
  const std::string over(3000, 'x');
  EXPECT_EQ(settings::BuildGroupValue({over, "never"}), over);
}

TEST(GroupStore, AddSetListRemoveRoundTrip) {
  AppDataScratch scratch;
  scratch.Install("width=700\n");
  auto added = settings::AddGroup("night  ", IsPrinter);
  EXPECT_EQ(added.status, GroupStoreStatus::kOk);
  EXPECT_EQ(added.name.name, "night");
  EXPECT_EQ(settings::AddGroup("day", IsPrinter).status, GroupStoreStatus::kOk);
  // Groups come in the order of the file, new ones last.
  EXPECT_EQ(settings::ListGroups(), (std::vector<std::string>{"night", "day"}));
  EXPECT_TRUE(settings::ReadGroupMembers("night").empty());

  EXPECT_EQ(settings::SetGroupMembers("night", {"ps1", "ps2"}), GroupStoreStatus::kOk);
  EXPECT_EQ(settings::ReadGroupMembers("night"), (std::vector<std::string>{"ps1", "ps2"}));
  EXPECT_NE(AppDataScratch::ReadFile(scratch.settingsPath()).find("night=ps1,ps2"),
            std::string::npos);

  auto again = settings::AddGroup("NIGHT", IsPrinter);
  EXPECT_EQ(again.status, GroupStoreStatus::kRefused);
  EXPECT_EQ(again.name.check, GroupNameCheck::kExists);
  EXPECT_EQ(settings::AddGroup("ps1", IsPrinter).name.check, GroupNameCheck::kPrinterName);

  EXPECT_EQ(settings::RemoveGroup("night"), GroupStoreStatus::kOk);
  EXPECT_EQ(settings::RemoveGroup("night"), GroupStoreStatus::kNoSuchGroup);
  EXPECT_EQ(settings::ListGroups(), std::vector<std::string>{"day"});
  EXPECT_EQ(settings::RemoveGroup("day"), GroupStoreStatus::kOk);
  EXPECT_TRUE(settings::ListGroups().empty());
  // The emptied group path goes with its last entry; other keys stay.
  const std::string text = AppDataScratch::ReadFile(scratch.settingsPath());
  EXPECT_EQ(text.find("printer-groups"), std::string::npos) << text;
  EXPECT_NE(text.find("width=700"), std::string::npos) << text;
}

TEST(GroupStore, SetNeedsAnExistingGroup) {
  AppDataScratch scratch;
  scratch.Install("[printer-groups]\nNight=a\n");
  EXPECT_EQ(settings::SetGroupMembers("nobody", {"a"}), GroupStoreStatus::kNoSuchGroup);
  EXPECT_EQ(settings::SetGroupMembers("", {"a"}), GroupStoreStatus::kRefused);
  EXPECT_EQ(settings::SetGroupMembers("Night", {}), GroupStoreStatus::kOk);
  EXPECT_TRUE(settings::ReadGroupMembers("Night").empty());
}

TEST(GroupStore, NoSettingsFileMeansNoGroupsAndNoWrites) {
  AppDataScratch scratch;
  EXPECT_TRUE(settings::ListGroups().empty());
  EXPECT_EQ(settings::AddGroup("night", IsPrinter).status, GroupStoreStatus::kNoSettingsFile);
  EXPECT_EQ(settings::SetGroupMembers("night", {"a"}), GroupStoreStatus::kNoSettingsFile);
  EXPECT_EQ(settings::RemoveGroup("night"), GroupStoreStatus::kNoSettingsFile);
  EXPECT_FALSE(std::filesystem::exists(scratch.settingsPath()));
}

TEST(GroupStore, OtherSettingsFile) {
  AppDataScratch scratch;
  const auto other = scratch.root() / "other.ini";
  AppDataScratch::WriteFile(other, "[printer-groups]\nlab=,,x,,y,\n");
  EXPECT_EQ(settings::ListGroups(other.string()), std::vector<std::string>{"lab"});
  EXPECT_EQ(settings::ReadGroupMembers("lab", other.string()),
            (std::vector<std::string>{"x", "y"}));
  EXPECT_TRUE(settings::ListGroups().empty());
}

}  // namespace

namespace {

TEST(GroupStore, GroupsKeepTheOrderOfTheFile) {
  AppDataScratch scratch;
  scratch.Install(
      "width=700\n[printer-groups]\n; shop floor first\nzeta=a\n  alpha = b\r\n\nmid=c\n"
      "[other]\nbefore=x\n");
  EXPECT_EQ(settings::ListGroups(), (std::vector<std::string>{"zeta", "alpha", "mid"}));
  EXPECT_EQ(settings::AddGroup("beta", IsPrinter).status, GroupStoreStatus::kOk);
  EXPECT_EQ(settings::ListGroups(), (std::vector<std::string>{"zeta", "alpha", "mid", "beta"}));
}

}  // namespace

namespace {

// Names that would reach other sections or keys if they got to the configuration class.
TEST(GroupStore, EveryOperationAppliesTheNamingRules) {
  AppDataScratch scratch;
  const std::string installed =
      "kmRootDir=/opt/kora\nlastPrinter=p9\n[general]\nkmRootDir=/root\nlastPrinter=lp\n"
      "[printer-groups]\nnight=a\n";
  scratch.Install(installed);
  const std::string characters =
      "Printer group name may only contain underscore, and alphanumeric characters.";
  const struct {
    std::string name;
    std::string message;
  } cases[] = {
      {"../general/kmRootDir", characters},
      {"../lastPrinter", characters},
      {"/lastPrinter", characters},
      {"night/sub", characters},
      {"..", characters},
      {"a=b", characters},
      {"[general]", characters},
      {"a\nlastPrinter", characters},
      {std::string(33, 'n'), "Please limit the printer group name to at most 32 characters."},
      {"", "The printer group name is empty."},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_EQ(settings::SetGroupMembers(c.name, {"evil"}, {}, &error), GroupStoreStatus::kRefused)
        << c.name;
    EXPECT_EQ(error, c.message) << c.name;
    error.clear();
    EXPECT_EQ(settings::RemoveGroup(c.name, {}, &error), GroupStoreStatus::kRefused) << c.name;
    EXPECT_EQ(error, c.message) << c.name;
    EXPECT_TRUE(settings::ReadGroupMembers(c.name).empty()) << c.name;
  }
  EXPECT_EQ(AppDataScratch::ReadFile(scratch.settingsPath()), installed);
  // Trailing blanks are dropped as they are when a group is added.
  EXPECT_EQ(settings::SetGroupMembers("night  ", {"b"}), GroupStoreStatus::kOk);
  EXPECT_EQ(settings::ReadGroupMembers("night "), std::vector<std::string>{"b"});
}

TEST(GroupStore, MembersAreStoredWholeOnceEachOrRefused) {
  AppDataScratch scratch;
  scratch.Install("[printer-groups]\nnight=a\n");
  const auto before = [&] { return AppDataScratch::ReadFile(scratch.settingsPath()); };
  const std::string installed = before();

  std::vector<std::string> many;
  for (int i = 0; i < 400; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "printer_%09d", i);
    many.push_back(name);
  }
  ASSERT_EQ(many.front().size(), 17u);
  EXPECT_EQ(settings::MembersThatFit(many), 167u);
  std::string error;
  EXPECT_EQ(settings::SetGroupMembers("night", many, {}, &error),
            GroupStoreStatus::kTooManyMembers);
  EXPECT_NE(error.find("cannot hold all 400 printers"), std::string::npos) << error;
  EXPECT_NE(error.find("only the first 167 fit"), std::string::npos) << error;
  EXPECT_EQ(before(), installed);

  many.resize(167);
  EXPECT_EQ(settings::SetGroupMembers("night", many), GroupStoreStatus::kOk);
  EXPECT_EQ(settings::ReadGroupMembers("night"), many);

  for (const std::string& bad : {std::string("a,b"), std::string("a\nlastPrinter=x"),
                                 std::string("a\rb"), std::string("\xFF")}) {
    EXPECT_EQ(settings::SetGroupMembers("night", {"p1", bad}, {}, &error),
              GroupStoreStatus::kBadMember);
    EXPECT_NE(error.find("cannot be stored in a printer group"), std::string::npos) << error;
  }
  EXPECT_EQ(settings::ReadGroupMembers("night"), many);

  // Repeats in other letter case are stored once, first spelling first.
  EXPECT_EQ(settings::SetGroupMembers("night", {"p1", "P1", "p2", "p1", "P2"}),
            GroupStoreStatus::kOk);
  EXPECT_EQ(settings::ReadGroupMembers("night"), (std::vector<std::string>{"p1", "p2"}));
}

}  // namespace
