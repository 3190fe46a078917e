#include "interpreter/run_file_scanner.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "file_io.h"
#include "scratch_folder.h"

namespace {

using Files = std::vector<std::string>;

trm::RunFileCommands Scan(const std::string& text, std::string_view keyword = "run",
                          bool all = true, bool convert = true) {
  trm::RunFileScanner scanner({keyword, all, convert});
  scanner.Feed(text);
  return scanner.Result();
}

TEST(RunFileScanner, CollectsTheStringsOfTheKeywordsCommands) {
  const struct {
    std::string text;
    Files files;
    bool found;
  } cases[] = {
      {"(x.ps) run % the prolog\n", {"x.ps"}, true},
      {"[(a.ps) (b.ps)] run\r\n[ (c.ps)\n(a.ps) ] run", {"a.ps", "b.ps", "c.ps"}, true},
      {"(a.ps) pop\n", {}, false},
      {"(%os%/d/k/src/y.ps) run", {"d:/k/src/y.ps"}, true},
      {"(%os%\\d\\k) run", {"d:/k"}, true},
      {"% (commented.ps) run\n(n\\)ame (x).ps) run", {"n\\)ame (x).ps"}, true},
      {"(a.ps)\nrun", {"a.ps"}, true},  // a line end is a blank
      {"(a.ps) runner (b.ps) run{", {"b.ps"}, true},
      {"[] run", {}, true},
      {"(unclosed run\n) run", {"unclosed run "}, true},  // the line's end is in the string
  };
  for (const auto& c : cases) {
    const trm::RunFileCommands result = Scan(c.text);
    EXPECT_EQ(result.files, c.files) << c.text;
    EXPECT_EQ(result.found, c.found) << c.text;
  }
  // The entry file's own command: no conversion, the first match only.
  EXPECT_EQ(Scan("(%os%/e) /run (b) /run", "/run", false, false).files, Files{"%os%/e"});
  EXPECT_EQ(Scan("(a) run (b) /run", "/run", false, false).files, Files{"b"});
}

TEST(RunFileScanner, ReadsWindowsThatOverlapAcrossTheirEdges) {
  const km_test::ScratchFolder scratch("runscan");
  // A command that a 64 KiB window cuts in two; the next window, 1 KiB earlier, holds it whole.
  std::string text(65536 - 8, ' ');
  text += "\n(cut.ps) run\n";
  text += std::string(70000, 'x') + "\n(late.ps) run\n";
  const auto path = scratch.File("mtbdos.run", text);
  trm::RunFileCommands result;
  ASSERT_TRUE(trm::ScanRunFile(path.string(), {"run", true, true}, result));
  EXPECT_EQ(result.files, (Files{"cut.ps", "late.ps"}));
  ASSERT_TRUE(trm::ScanRunFile(path.string(), {"run", false, true}, result));
  EXPECT_EQ(result.files, Files{"cut.ps"});
  EXPECT_FALSE(trm::ScanRunFile((scratch / "none").string(), {"run", true, true}, result));
  EXPECT_FALSE(trm::ScanRunFile(scratch.path().string(), {"run", true, true}, result));
  EXPECT_TRUE(result.files.empty());
}

}  // namespace
