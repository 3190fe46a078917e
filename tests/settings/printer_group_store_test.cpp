// Printer groups in the settings file: naming rules, stored values, add/set/remove/list.

#include "settings/printer_group_store.h"

#include <gtest/gtest.h>

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
  EXPECT_EQ(settings::SetGroupMembers("", {"a"}), GroupStoreStatus::kNoSuchGroup);
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
