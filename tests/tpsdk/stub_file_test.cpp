#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <tuple>
#include <vector>

#include "platform/text_object.h"
#include "project_helpers.h"

namespace tpsdk {
namespace {

using namespace std::string_literals;

TEST(StubFile, LegacyBlocks) {
  const std::string late = "WARNING: Print-and-Forget path must be first in SETPPATH definition";
  const struct {
    std::string content, stubPaths, printAndForget, message;
  } cases[] = {
      {"[\r\n(/a/)\r\n(/b/)\r\n] SETPPATH\r\n", "/a|/b|", "", ""},
      {"[\r(/a/)\r\r] SETPPATH", "/a|", "", ""},
      {"[\n(/x/tpcpfd/)\n(/a/)\n] SETPPATH\n", "/a|", "/x/tpcpfd", ""},
      {"[\n(/a/)\n(/x/tpcpfd/)\n] SETPPATH\n", "/a|", "/x/tpcpfd", late},
      // A higher SETPPATH moves the end up; the block needs its "[" above that end.
      {"[\n(/a/)\nSETPPATH\n(/b/)\nSETPPATH\n", "/a|", "", ""},
      {"SETPPATH\n[\n(/a/)\n", "", "", ""},
      {"[ (/a/) ] SETPPATH\n", "", "", ""},
      {"(/a/)\n] SETPPATH\n", "", "", ""},
      {"[\n(/a/)\n", "", "", ""},
      // Blanks and tabs go, the cut is before the first ")", backslashes are undoubled.
      {"[\n \t( /a b/ ) (/c/)\n(c:\\\\r\\\\)\n] SETPPATH\n", "/ab|c:\\r|", "", ""},
      {"[\n(%os%\\\\d\\\\res\\\\)\n] SETPPATH\n", "d:\\res|", "", ""},
      {"[\n(/a//)\n] SETPPATH\n", "/a|", "", ""},
      // Bytes are bytes: NUL and high bytes stay in the path; a cut-off file finds no block.
      {"[\n(/a\0\xff/)\n] SETPPATH\n"s, "/a\0\xff|"s, "", ""},
      {"[\n(/a/)\n(/b", "", "", ""},
      {"", "", "", ""},
  };
  for (const auto& c : cases) {
    Project project;
    EXPECT_EQ(project.ReadStubText(c.content), c.message.empty() ? 0 : kWarning) << c.content;
    EXPECT_EQ(project.GetStubPaths(), c.stubPaths) << c.content;
    EXPECT_EQ(project.GetPrintAndForgetPath(), c.printAndForget) << c.content;
    EXPECT_EQ(project.GetMessages(), c.message) << c.content;
  }
}

TEST(StubFile, PercentPathsPassTheTextHook) {
  platform::SetTextHook([](platform::TextObject& text) { text.replaceAll("%RES%", "/opt/res"); });
  Project project;
  project.ReadStubText("[\n(%RES%/$$FOLDER./)\n(/plain%/)\n] SETPPATH\n");
  platform::SetTextHook(nullptr);
  EXPECT_EQ(project.GetStubPaths(), "/opt/res/$$FOLDER.|/plain%|");
}

// The stub paths of each type that has any, as "PS(local,folder,global) ".
std::string TypedPaths(const Project& project) {
  std::string out;
  for (int type = kProjectPs; type <= kProjectPpmlGa; ++type) {
    const auto& paths = project.GetStubTypePaths(type);
    if (paths[0].empty() && paths[1].empty() && paths[2].empty()) continue;
    out += std::string(Project::ProjectTypeName(type)) + "(" + paths[0] + "," + paths[1] + "," +
           paths[2] + ") ";
  }
  return out;
}

TEST(StubFile, TypedBlocks) {
  const std::string type = "TESSEL_PROJECT_PDLTYPE: ";
  const std::string ps = type + "PS\n(/l/$$FOLDER./$$PROJECT./)\n(/f/$$FOLDER./)\n(/g/) SETPPATH\n";
  const std::string psPaths = "PS(/l/$$FOLDER./$$PROJECT.,/f/$$FOLDER.,/g) ";
  const std::string syntax = "ERROR: Stubfile syntax error: TESSEL_PROJECT_PDLTYPE ";
  const std::string invalid = "ERROR: Stubfile contains invalid project type: ";
  const struct {
    std::string content, paths, message;
  } cases[] = {
      {ps, psPaths, ""},
      // Line ends of either kind; an empty path leaves its scope empty.
      {type + "PDF\r\n\r\n(c:/p/)\r\n(c:\\\\f\\\\)\r\n(%os%/d/g/) SETPPATH\r\n" + type +
           " PPML-GA \t\n(a)\n()\n(c) SETPPATH\n",
       "PDF(c:\\p,c:\\f,d:\\g) PPML-GA(a,,c) ", ""},
      // A later block of a type replaces the earlier one.
      {ps + type + "PS\n(/2l)\n(/2f)\n(/2g) SETPPATH\n", "PS(/2l,/2f,/2g) ", ""},
      // The index counts non-empty lines from 0 and names the last line there is.
      {ps + type + "PDF\n(/l)\n\n(/f)\n", psPaths, "ERROR: Stubfile premature EOF at line: 6"},
      {type + "KORA\n(/l)\n(/f)\n(/g) SETPPATH\n", "",
       "ERROR: Project type 'KORA' not allowed here"},
      // After an error no later block is taken.
      {type + "ps\n(/l)\n(/f)\n(/g) SETPPATH\n" + ps, "", invalid + "'ps'"},
      {type + "\n(/l)\n(/f)\n(/g) SETPPATH\n", "", invalid + "''"},
      {ps + type + "PS\n(/l)\n(/f)\n(/g)\n", "", syntax + "'PS' missing 'SETPPATH' in '(/g)'"},
      {type + "PDF\n/l)\n(/f)\n(/g) SETPPATH\n", "", syntax + "'PDF' missing '(' in '/l)'"},
      {type + "PDF\n(/l)\n)(/f\n(/g) SETPPATH\n", "", syntax + "'PDF' missing ')' in ')(/f'"},
      {type + "PS\n(/l\0x)\n(\xff)\n(/g) SETPPATH"s, "PS(/l\0x,\xff,/g) "s, ""},
  };
  for (const auto& c : cases) {
    Project project;
    EXPECT_EQ(project.ReadStubText(c.content), c.message.empty() ? 0 : kError) << c.content;
    EXPECT_EQ(TypedPaths(project), c.paths) << c.content;
    EXPECT_EQ(project.GetMessages(), c.message) << c.content;
    EXPECT_EQ(project.GetStubPaths(), "") << c.content;
  }
}

TEST(StubFile, TypeLinesAndCodes) {
  const std::tuple<const char*, int, const char*> cases[] = {
      {"TESSEL_PROJECT_PDLTYPE: PS", 1, "PS"},
      {"% TESSEL_PROJECT_PDLTYPE: \tPPML - GA\r", 3, "PPML-GA"},
      {"TESSEL_PROJECT_PDLTYPE: KORA", 0, "KORA"},
      {"TESSEL_PROJECT_PDLTYPE: pdf", -1, "pdf"},
      {"TESSEL_PROJECT_PDLTYPE:   ", -1, ""},
      {"TESSEL_PROJECT_PDLTYPE:PS", -1, ""},
  };
  for (const auto& [line, type, expectedName] : cases) {
    std::string name = "stale";
    EXPECT_EQ(Project().ParseStubTypeLine(line, name), type) << line;
    EXPECT_EQ(name, expectedName) << line;
  }
  Project project;
  project.SetStubTypePaths({"(/l)", "(/f)", "(/g) SETPPATH"}, 4);
  EXPECT_STREQ(project.GetMessages(), "ERROR: Invalid project type: '4'");
}

TEST(StubFile, FilesThatCannotServeAsStubs) {
  km_test::ScratchFolder folder("stub_file");
  constexpr std::uintmax_t kLimit = 16u << 20;
  // Padding after the block is NUL bytes: a sparse file costs no disk.
  const auto atLimit = folder.File("limit.run", "[\n(/a/)\n] SETPPATH\n");
  std::filesystem::resize_file(atLimit, kLimit);
  const auto overLimit = folder.File("over.run", "[\n(/a/)\n] SETPPATH\n");
  std::filesystem::resize_file(overLimit, kLimit + 1);
  const auto fifo = folder / "fifo.run";
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);

  const std::pair<std::filesystem::path, std::string> cases[] = {
      {atLimit, "/a|"}, {overLimit, ""}, {folder.path(), ""}, {fifo, ""}};
  for (const auto& [path, stubPaths] : cases) {
    auto project = TpsdkCreateProject(path.c_str());
    ASSERT_TRUE(project) << path;
    EXPECT_EQ(project->GetStubPaths(), stubPaths) << path;
    EXPECT_EQ(project->GetStatus(), 0) << path;
    EXPECT_STREQ(project->GetMessages(), "") << path;
  }
}

}  // namespace
}  // namespace tpsdk
