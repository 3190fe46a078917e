#include <gmock/gmock.h>

#include <algorithm>
#include <string>

#include "generator_fixture.h"
#include "stream/job_prolog.h"
#include "stream/job_text.h"
#include "stream/printer_names.h"
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
      {"/r/a.tif", "mtbc/imglib/a.tif"},
      {"/r/a.pfb", "mtbc/fontlib/a.pfb"},
      {"/r/a.xjt", "mtbc/jdtlib/a.xjt"},
      {"/r/a.enc", "mtbc/encoding/a.enc"},
      {"/r/noext", "mtbc/mislib/noext"},
      {"/r/trailing.", "mtbc/mislib/trailing."},
      {"", ""},
  };
  for (const auto& [local, printer] : cases) EXPECT_EQ(trm::LocalToPrinterName(local), printer);
  EXPECT_EQ(trm::ResourcePrinterName("F", "P", "a.frm", 0, "frm"), "mtbc/F/P/a.frm");
  EXPECT_EQ(trm::ResourcePrinterName("F", "P", "a.frm", 1, "frm"), "mtbc/F/fshared/a.frm");
  EXPECT_EQ(trm::ResourcePrinterName("F", "P", "a.frm", 2, "frm"), "mtbc/gshared/a.frm");
  EXPECT_EQ(trm::ResourcePrinterName("F", "P", "a.frm", 7, "frm"), "mtbc/gshared/a.frm");
  EXPECT_EQ(trm::ResourcePrinterName("F", "P", "Font1", 0, "fnt"), "mtbc/fontlib/Font1");
}

TEST(Wildcards, PatternsThatStandForEveryFile) {
  for (const char* all : {"", "*", "*.*", "/", ".", "\\", "*/*"}) {
    EXPECT_TRUE(trm::IsAllPattern(all)) << all;
  }
  for (const char* some : {"*.frm", "a", "mtb/*"}) EXPECT_FALSE(trm::IsAllPattern(some)) << some;
}

TEST(JobText, HeaderPrologAndDate) {
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
}

}  // namespace
}  // namespace trm_test
