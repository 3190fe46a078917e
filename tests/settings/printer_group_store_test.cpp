// Printer groups in the settings file: naming rules and their messages, stored values,
// add/set/remove/list, and the order of the groups whatever spelling of the file the
// configuration class still reads as the same section and the same names.

#include "settings/printer_group_store.h"

#include <strings.h>

#include "app_data_fixture.h"

namespace {

using settings::GroupNameCheck;
using settings::GroupStoreStatus;
using Strings = std::vector<std::string>;
using GroupStore = settings_test::AppDataTest;

bool IsPrinter(const std::string& name) {
  // Installed printers compare without regard to letter case.
  return strcasecmp(name.c_str(), "ps1") == 0;
}

const std::string kCharacters =
    "Printer group name may only contain underscore, and alphanumeric characters.";
const std::string kTooLong = "Please limit the printer group name to at most 32 characters.";

// Names that would reach other sections or keys if they got to the configuration class are
// refused by every operation, and the settings stay as they were.
TEST_F(GroupStore, NamingRulesInOrderWithTheirMessagesForEveryOperation) {
  const std::string installed =
      "kmRootDir=/opt/kora\nlastPrinter=p9\n[general]\nkmRootDir=/root\nlastPrinter=lp\n"
      "[printer-groups]\nnight=a\nday=\n";
  Install(installed);
  const std::string printer = "Group name cannot be the same as a printer name.\n\n";
  const struct {
    std::string typed;
    GroupNameCheck check;
    std::string message;
  } cases[] = {
      {"", GroupNameCheck::kEmpty, ""},
      {"   \t", GroupNameCheck::kEmpty, ""},
      {std::string(32, 'a'), GroupNameCheck::kAccepted, ""},
      {std::string(33, 'a'), GroupNameCheck::kTooLong, kTooLong},
      // Length is checked before characters.
      {std::string(33, '-'), GroupNameCheck::kTooLong, kTooLong},
      {"PS1", GroupNameCheck::kPrinterName, printer + "PS1"},
      {"Night", GroupNameCheck::kExists, "The group already exists.\n\nNight"},
      {"Night_Shift_2", GroupNameCheck::kAccepted, ""},
      {"bad-name", GroupNameCheck::kBadCharacter, kCharacters},
      {" night", GroupNameCheck::kBadCharacter, kCharacters},
      // Characters count, not bytes, yet a two-byte letter is no allowed character.
      {std::string(31, 'a') + "\xC3\xA9", GroupNameCheck::kBadCharacter, kCharacters},
      {"../general/kmRootDir", GroupNameCheck::kBadCharacter, kCharacters},
      {"/lastPrinter", GroupNameCheck::kBadCharacter, kCharacters},
      {"a\nlastPrinter", GroupNameCheck::kBadCharacter, kCharacters},
  };
  for (const auto& c : cases) {
    const auto result = settings::CheckGroupName(c.typed, {"day", "night"}, IsPrinter);
    EXPECT_EQ(result.check, c.check) << c.typed;
    EXPECT_EQ(settings::GroupNameMessage(result), c.message) << c.typed;
    if (c.check == GroupNameCheck::kTooLong || c.check == GroupNameCheck::kBadCharacter ||
        c.typed.empty()) {
      const std::string stored = c.typed.empty() ? "The printer group name is empty." : c.message;
      std::string setError, removeError;
      EXPECT_EQ(settings::SetGroupMembers(c.typed, {"x"}, {}, &setError),
                GroupStoreStatus::kRefused);
      EXPECT_EQ(settings::RemoveGroup(c.typed, {}, &removeError), GroupStoreStatus::kRefused);
      EXPECT_EQ((Strings{setError, removeError}), Strings(2, stored)) << c.typed;
      EXPECT_TRUE(settings::ReadGroupMembers(c.typed).empty()) << c.typed;
    }
  }
  EXPECT_EQ(Installed(), installed);
  // Trailing blanks are dropped, on adding as on setting.
  const auto trimmed = settings::CheckGroupName("night_2  \t", {}, IsPrinter);
  EXPECT_EQ(trimmed.check, GroupNameCheck::kAccepted);
  EXPECT_EQ(trimmed.name, "night_2");
  EXPECT_EQ(settings::SetGroupMembers("night  ", {"b"}), GroupStoreStatus::kOk);
  EXPECT_EQ(settings::ReadGroupMembers("night "), Strings{"b"});
  EXPECT_EQ(settings::RemoveGroupMessage("night"), "Problem removing the selected group.\n\nnight");
}

TEST(GroupValues, SplitDropsEmptyPartsAndBuildStopsAfterTheSoftLimit) {
  EXPECT_EQ(settings::SplitGroupValue(",,A,, B,"), (Strings{"A", " B"}));
  EXPECT_EQ(settings::SplitGroupValue(",,,"), Strings{});
  EXPECT_EQ(settings::BuildGroupValue({"a", "b", "c"}), "a,b,c");
  // 2999 characters, then one more member is still appended; the next is not.
  const std::string first(2999, 'x');
  EXPECT_EQ(settings::BuildGroupValue({first, "late", "never"}), first + ",late");
  const std::string over(3000, 'x');
  EXPECT_EQ(settings::BuildGroupValue({over, "never"}), over);
}

TEST_F(GroupStore, AddSetListRemoveKeepTheOrderOfTheFile) {
  Install(
      "width=700\n[printer-groups]\n; shop floor first\nzeta=a\n  alpha = b\r\n\nmid=c\n"
      "[other]\nbefore=x\n");
  EXPECT_EQ(settings::ListGroups(), (Strings{"zeta", "alpha", "mid"}));
  const auto added = settings::AddGroup("night  ", IsPrinter);
  EXPECT_EQ(added.status, GroupStoreStatus::kOk);
  EXPECT_EQ(added.name.name, "night");
  EXPECT_EQ(settings::ListGroups(), (Strings{"zeta", "alpha", "mid", "night"}));
  EXPECT_TRUE(settings::ReadGroupMembers("night").empty());
  EXPECT_EQ(settings::SetGroupMembers("night", {"ps1", "ps2"}), GroupStoreStatus::kOk);
  EXPECT_EQ(settings::ReadGroupMembers("night"), (Strings{"ps1", "ps2"}));
  EXPECT_NE(Installed().find("night=ps1,ps2"), std::string::npos);
  EXPECT_EQ(settings::SetGroupMembers("night", {}), GroupStoreStatus::kOk);
  EXPECT_TRUE(settings::ReadGroupMembers("night").empty());

  const auto again = settings::AddGroup("NIGHT", IsPrinter);
  EXPECT_EQ(again.status, GroupStoreStatus::kRefused);
  EXPECT_EQ(again.name.check, GroupNameCheck::kExists);
  EXPECT_EQ(settings::AddGroup("ps1", IsPrinter).name.check, GroupNameCheck::kPrinterName);
  EXPECT_EQ(settings::SetGroupMembers("nobody", {"a"}), GroupStoreStatus::kNoSuchGroup);

  for (const char* group : {"night", "zeta", "alpha", "mid"}) {
    EXPECT_EQ(settings::RemoveGroup(group), GroupStoreStatus::kOk) << group;
  }
  EXPECT_EQ(settings::RemoveGroup("night"), GroupStoreStatus::kNoSuchGroup);
  EXPECT_TRUE(settings::ListGroups().empty());
  // The emptied group path goes with its last entry; other keys stay.
  EXPECT_EQ(Installed().find("printer-groups"), std::string::npos) << Installed();
  EXPECT_NE(Installed().find("width=700"), std::string::npos) << Installed();
}

TEST_F(GroupStore, NoSettingsFileMeansNoGroupsAndNoWritesUnlessAnotherIsGiven) {
  EXPECT_TRUE(settings::ListGroups().empty());
  EXPECT_EQ(settings::AddGroup("night", IsPrinter).status, GroupStoreStatus::kNoSettingsFile);
  EXPECT_EQ(settings::SetGroupMembers("night", {"a"}), GroupStoreStatus::kNoSettingsFile);
  EXPECT_EQ(settings::RemoveGroup("night"), GroupStoreStatus::kNoSettingsFile);
  EXPECT_FALSE(std::filesystem::exists(settingsPath()));

  km_test::WriteFile(root() / "other.ini", "[printer-groups]\nlab=,,x,,y,\n");
  EXPECT_EQ(settings::ListGroups((root() / "other.ini").string()), Strings{"lab"});
  EXPECT_EQ(settings::ReadGroupMembers("lab", (root() / "other.ini").string()),
            (Strings{"x", "y"}));
}

TEST_F(GroupStore, MembersAreStoredWholeOnceEachOrRefused) {
  Install("[printer-groups]\nnight=a\n");
  const std::string installed = Installed();
  Strings many;
  for (int i = 0; i < 400; ++i) many.push_back("printer_" + std::to_string(100000000 + i));
  EXPECT_EQ(settings::MembersThatFit(many), 167u);
  std::string error;
  EXPECT_EQ(settings::SetGroupMembers("night", many, {}, &error),
            GroupStoreStatus::kTooManyMembers);
  EXPECT_NE(error.find("cannot hold all 400 printers"), std::string::npos) << error;
  EXPECT_NE(error.find("only the first 167 fit"), std::string::npos) << error;
  EXPECT_EQ(Installed(), installed);

  many.resize(167);
  EXPECT_EQ(settings::SetGroupMembers("night", many), GroupStoreStatus::kOk);
  for (const char* bad : {"a,b", "a\nlastPrinter=x", "a\rb", "\xFF"}) {
    EXPECT_EQ(settings::SetGroupMembers("night", {"p1", bad}, {}, &error),
              GroupStoreStatus::kBadMember);
    EXPECT_NE(error.find("cannot be stored in a printer group"), std::string::npos) << error;
  }
  EXPECT_EQ(settings::ReadGroupMembers("night"), many);
  // Repeats in other letter case are stored once, first spelling first.
  EXPECT_EQ(settings::SetGroupMembers("night", {"p1", "P1", "p2", "p1", "P2"}),
            GroupStoreStatus::kOk);
  EXPECT_EQ(settings::ReadGroupMembers("night"), (Strings{"p1", "p2"}));
}

struct OrderCase {
  const char* what;
  std::string text;
  std::vector<std::string> groups;
};

TEST(GroupOrder, FollowsTheFileAsTheConfigurationReadsIt) {
  const OrderCase cases[] = {
      {"names with characters a key escapes",
       "[printer-groups]\nq\"uote=1\nse;mi=2\nha#sh=3\ncaf\xC3\xA9=4\nback\\\\slash=5\n"
       "equals\\=sign=6\n\\ lead=7\n",
       {"q\"uote", "se;mi", "ha#sh", "caf\xC3\xA9", "back\\slash", "equals=sign", " lead"}},
      {"name behind the mark of an unchangeable entry",
       "[printer-groups]\n!alpha=\nzeta=\n",
       {"alpha", "zeta"}},
      {"values with such characters",
       "[printer-groups]\nzeta=\"a\" ;b\\c #d\nalpha=  =e\n",
       {"zeta", "alpha"}},
      {"byte-order mark", "\xEF\xBB\xBF[printer-groups]\nzeta=\nalpha=\n", {"zeta", "alpha"}},
      {"CR line ends", "[printer-groups]\rzeta=\ralpha=\r", {"zeta", "alpha"}},
      {"CR LF line ends", "[printer-groups]\r\nzeta=\r\nalpha=\r\n", {"zeta", "alpha"}},
      {"white space before names", "[printer-groups]\n\vzeta=\n \falpha=\n", {"zeta", "alpha"}},
      {"header with a comment", "[printer-groups] ; members\nzeta=\nalpha=\n", {"zeta", "alpha"}},
      {"header as a path in other case", "[/Printer-Groups/]\nzeta=\nalpha=\n", {"zeta", "alpha"}},
      {"escaped header", "[printer\\-groups]\nzeta=\nalpha=\n", {"zeta", "alpha"}},
      {"unterminated header keeps the section",
       "[printer-groups]\nzeta=\n[oops\nmid=\nalpha=\n",
       {"zeta", "mid", "alpha"}},
      {"section in two parts, comments",
       "[printer-groups]\nzeta=\n# x\n; y\n\n[other]\nbeta=\n[printer-groups]\nalpha=\n",
       {"zeta", "alpha"}},
      {"repeat in other letter case keeps its first place",
       "[printer-groups]\nzeta=\nAlpha=\nmid=\nalpha=\n",
       {"zeta", "Alpha", "mid"}},
      {"unchangeable entry given twice is one group",
       "[printer-groups]\n!alpha=1\nzeta=\n!alpha=2\n",
       {"alpha", "zeta"}},
      // One byte that is not UTF-8 makes the whole file read as Latin-1.
      {"not UTF-8 elsewhere",
       "[printer-groups]\nz\xC3\xA9ta=\nalpha=\n[x]\nv=\xFF\n",
       {"z\xC3\x83\xC2\xA9ta", "alpha"}},
  };
  const km_test::ScratchFolder folder("km_group_order");
  for (const OrderCase& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = folder.File("koramanage.ini", c.text).string();
    std::string error;
    EXPECT_EQ(settings::ListGroups(path, &error), c.groups);
    EXPECT_EQ(error, "");
  }
}

}  // namespace
