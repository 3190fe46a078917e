#include <gmock/gmock.h>

#include <algorithm>
#include <string>

#include "generator_fixture.h"
#include "stream/job_prolog.h"
#include "stream/job_text.h"
#include "stream/printer_names.h"
#include "stream/ps_string.h"
#include "stream/wildcard.h"

namespace trm_test {
namespace {

// Digits become "9" and ASCII letters "a", so texts with times can be compared by layout.
std::string Shape(std::string_view text) {
  std::string shape(text);
  for (char& c : shape) {
    if (c >= '0' && c <= '9') c = '9';
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) c = 'a';
  }
  return shape;
}

using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::StartsWith;

TEST(PrinterNames, LibraryMarkersThenExtensions) {
  const std::pair<const char*, const char*> cases[] = {
      {"C:/work/kora/demo/a.ps", "mtb/demo/a.ps"},
      {"D:\\res\\formlib\\logo.frm", "mtbc/formlib/logo.frm"},
      {"/srv//res/imglib/sub/x.jpg", "mtbc/imglib/sub/x.jpg"},
      {"/a/demo/b/formlib/c.frm", "mtbc/formlib/c.frm"},  // marker order decides, not position
      {"C:\\a\\DEMO\\x.ps", "mtbc/mislib/x.ps"},          // markers are case-sensitive
      {"/r/logo.Frm", "mtbc/mislib/logo.Frm"},
      {"/r/logo.FRM", "mtbc/formlib/logo.FRM"},
      {"/r/a.seg", "mtbc/formlib/a.seg"},
      {"/r/a.DBM", "mtbc/formlib/a.DBM"},
      {"/r/a.tif", "mtbc/imglib/a.tif"},
      {"/r/a.pfb", "mtbc/fontlib/a.pfb"},
      {"/r/a.xjt", "mtbc/jdtlib/a.xjt"},
      {"/r/a.enc", "mtbc/encoding/a.enc"},
      {"/r/noext", "mtbc/mislib/noext"},
      {"/r/trailing.", "mtbc/mislib/trailing."},
      {"frm", "mtbc/formlib/frm"},
      {"", ""},
  };
  for (const auto& [local, printer] : cases) EXPECT_EQ(trm::LocalToPrinterName(local), printer);
  EXPECT_EQ(trm::ResourcePrinterName("F", "P", "a.frm", 0, "frm"), "mtbc/F/P/a.frm");
  EXPECT_EQ(trm::ResourcePrinterName("F", "P", "a.frm", 1, "frm"), "mtbc/F/fshared/a.frm");
  EXPECT_EQ(trm::ResourcePrinterName("F", "P", "a.frm", 2, "frm"), "mtbc/gshared/a.frm");
  EXPECT_EQ(trm::ResourcePrinterName("F", "P", "a.frm", 7, "frm"), "mtbc/gshared/a.frm");
  EXPECT_EQ(trm::ResourcePrinterName("F", "P", "Font1", 0, "fnt"), "mtbc/fontlib/Font1");
}

TEST(Wildcards, SymmetricFoldedMatchCoverAndAllPattern) {
  struct Case {
    const char* a;
    const char* b;
    bool match;
  };
  const Case matches[] = {
      {"ABC.FRM", "*.frm", true}, {"*.frm", "ABC.FRM", true}, {"mtbc/formlib/x", "mtbc/*", true},
      {"Same", "sAME", true},     {"abc", "abd", false},      {"a1", "a[0-9]", true},
      {"a1", "a[^0-9]", false}};
  for (const Case& one : matches) EXPECT_EQ(trm::WildcardMatch(one.a, one.b), one.match) << one.a;
  const Case covers[] = {{"A.FRM", "*.frm", true},
                         {"x.frm", "X.FRM", true},
                         {"*", "logo.frm", false},
                         {"*.frm", "a.frm", false}};
  for (const Case& one : covers) EXPECT_EQ(trm::IsCoveredBy(one.a, one.b), one.match) << one.a;
  for (const char* all : {"", "*", "*.*", "/", ".", "\\", "*/*"}) {
    EXPECT_TRUE(trm::IsAllPattern(all)) << all;
  }
  for (const char* some : {"*.frm", "a", "mtb/*"}) EXPECT_FALSE(trm::IsAllPattern(some)) << some;
}

TEST(PsStrings, EscapingKeepsEveryByte) {
  const std::pair<std::string, std::string> cases[] = {
      {"plain/name.frm", "plain/name.frm"},
      {"a(b)c\\d", "a\\(b\\)c\\\\d"},
      {") quit (", "\\) quit \\("},
      {std::string("\n\t\x01\x7f", 4), "\\012\\011\\001\\177"},
      {"caf\xc3\xa9", "caf\xc3\xa9"},
  };
  for (const auto& [text, escaped] : cases) EXPECT_EQ(trm::EscapePsString(text), escaped);
  EXPECT_EQ(trm::PsString("x"), "(x)");
  EXPECT_EQ(trm::CommentField("a\r\nb"), "a  b");
}

TEST(JobText, HeaderPrologDateAndCommands) {
  std::string header = trm::JobHeader("trmListPrinterFiles");
  const std::string fixedStart =
      std::string("%!\n%%Title: trmListPrinterFiles\n%%Creator: ") + trmGetVersion() + "\n";
  ASSERT_THAT(header, StartsWith(fixedStart + "%%CreationDate: "));
  std::string rest = header.substr(fixedStart.size() + 16);
  std::size_t dateEnd = rest.find('\n');
  // ctime pads a one-digit day with a blank.
  EXPECT_THAT(Shape(rest.substr(0, dateEnd)),
              testing::AnyOf("aaa aaa 99 99:99:99 9999", "aaa aaa  9 99:99:99 9999"));
  std::string notice = rest.substr(dateEnd + 1);
  EXPECT_THAT(notice, StartsWith("%%"));
  EXPECT_THAT(notice, EndsWith("\n%%EndComments\n\n"));
  EXPECT_EQ(std::count(notice.begin(), notice.end(), '\n'), 3);
  std::string deploy = trm::JobHeader("t\nx", "%%KORA_DEPLOY_JOB_RESOURCES \"true\"\n");
  EXPECT_THAT(deploy, HasSubstr("%%Title: t x\n"));
  EXPECT_THAT(deploy, EndsWith("\n%%KORA_DEPLOY_JOB_RESOURCES \"true\"\n%%EndComments\n\n"));

  std::string prolog = trm::PrologAndDate();
  EXPECT_THAT(prolog, StartsWith(std::string(trm::JobProlog())));
  EXPECT_EQ(Shape(prolog.substr(trm::JobProlog().size())), "\n/aaaa (99/99/99 99:99:99) aaa\n");

  EXPECT_EQ(
      trm::LoadFileCommand(0, "mtbc/formlib/a(1).frm", trm::LoadParameters("P7", true, false)),
      "\n\n0 (mtbc/formlib/a\\(1\\).frm) (P7) true false load_file\n");
  EXPECT_EQ(trm::ListRemoveCommand("*.frm", "P7", false, true),
            "(*.frm) (P7) false true list&remove");
  EXPECT_EQ(trm::AutoStartCommand("P7", true, '0'), "\n(P7) true 0 auto_start");
}

class ListingJobTest : public GeneratorTest {
 protected:
  std::string Listing(const char* pattern, const char* label) {
    trmFOS* fos = trmNewFOS();
    trmVOS* vos = trmNewVOS();
    if (pattern) trmFOSSetListPattern(fos, pattern);
    if (label) trmFOSSetStatusLabel(fos, label);
    trmVOSSetOutputPath(vos, Output().c_str());
    trmVOSSetFlags(vos, TRM_FLAG_REPLACE);
    EXPECT_EQ(trmListPrinterFiles(fos, vos), TRM_OK) << trmGetLastMessage();
    trmFreeFOS(fos);
    trmFreeVOS(vos);
    std::string job = ReadFile(Output());
    // Everything after the prolog's date line.
    auto body = job.find(") def\n", job.find("\n/DATE ("));
    return body == job.npos ? job : job.substr(body + 6);
  }
};

TEST_F(ListingJobTest, AllPatternsListBothFolders) {
  const std::string both =
      "\n(mtb/*) (Printer7) true false list&remove\n"
      "\n(mtbc/*) (Printer7) true false list&remove\n"
      "\nend_list\n%EOF";
  // Which patterns stand for every file: Wildcards.SymmetricFoldedMatchCoverAndAllPattern.
  EXPECT_EQ(Listing(nullptr, "Printer7"), both);
  EXPECT_EQ(Listing("*.*", "Printer7"), both);
  EXPECT_EQ(Listing("*.frm", "Printer7"),
            "\n(*.frm) (Printer7) true false list&remove\nend_list\n%EOF");
  EXPECT_EQ(Listing("a(b", nullptr), "\n(a\\(b) () true false list&remove\nend_list\n%EOF");
  std::string job = ReadFile(Output());
  EXPECT_THAT(job, StartsWith("%!\n%%Title: trmListPrinterFiles\n"));
  EXPECT_THAT(job, HasSubstr("%%EndComments\n\n" + std::string(trm::JobProlog()) + "\n/DATE ("));
}

TEST_F(ListingJobTest, ParameterAndOverwriteFailures) {
  trmFOS* fos = trmNewFOS();
  trmVOS* vos = trmNewVOS();
  EXPECT_EQ(trmListPrinterFiles(fos, vos), TRM_INVALID_PARAMETER);
  EXPECT_STREQ(trmGetLastMessage(), "[trmListPrinterFiles] Invalid parameter. [trmVOS.outputPath]");
  trmVOSSetOutputPath(vos, "");
  EXPECT_EQ(trmListPrinterFiles(fos, vos), TRM_INVALID_PARAMETER);
  EXPECT_STREQ(trmGetLastDetail(), "trmVOS.outputPath");

  WriteFile(Output(), "keep me");
  trmVOSSetOutputPath(vos, Output().c_str());
  EXPECT_EQ(trmListPrinterFiles(fos, vos), TRM_OUTPUT_EXISTS);
  EXPECT_STREQ(trmGetLastMessage(),
               ("[trmListPrinterFiles] Flag not set to overwrite existing file. [" + Output() + "]")
                   .c_str());
  EXPECT_EQ(ReadFile(Output()), "keep me");

  // An output folder that cannot be made: nothing is written anywhere.
  WriteFile(Path("blocker"), "a file, not a folder");
  std::string blocked = Path("blocker/sub/job.ps").string();
  trmVOSSetOutputPath(vos, blocked.c_str());
  EXPECT_EQ(trmListPrinterFiles(fos, vos), TRM_WRITE_PROBLEM);
  EXPECT_STREQ(trmGetLastDetail(), blocked.c_str());
  trmFreeFOS(fos);
  trmFreeVOS(vos);
}

}  // namespace
}  // namespace trm_test
