#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "project_file_scanner.h"
#include "project_tree.h"
#include "random_bytes.h"
#include "tpsdk/message_catalogue.h"
#include "tpsdk/tpsdk.h"

namespace tpsdk {
namespace {

constexpr std::string_view kHead =
    "<?xml version='1.0' encoding='ISO-8859-1'?>\n<TPF Version='2.0'>\n";
constexpr std::string_view kInformation =
    "<INFORMATION>\n<COPYRIGHT>c</COPYRIGHT><PROJECT_TYPE>KORA</PROJECT_TYPE>"
    "<FOLDER_NAME>F</FOLDER_NAME><PROJECT_NAME>P</PROJECT_NAME>"
    "<PROJECT_VERSION>1</PROJECT_VERSION><PROJECT_TITLE>t</PROJECT_TITLE>"
    "<PROJECT_DESCRIPTION>d</PROJECT_DESCRIPTION><AUTHOR>a</AUTHOR><KEYWORDS>k</KEYWORDS>"
    "<GENERATOR>g</GENERATOR><CREATION_DATE>2001-01-01</CREATION_DATE>\n</INFORMATION>\n";

// A complete project file of project P in folder F: nothing is logged when it is read.
std::string Tpf(std::string_view resources = "", std::string_view after = "") {
  return std::string(kHead) + std::string(kInformation) + "<RESOURCES>\n" + std::string(resources) +
         "</RESOURCES>\n" + std::string(after) + "</TPF>\n";
}

std::string Resource(std::string_view name, std::string_view more = "Scope='0'") {
  return "<RESOURCE Name='" + std::string(name) + "' Type='ps' " + std::string(more) + "/>\n";
}

std::string Repeat(std::string_view piece, std::size_t count) {
  std::string out;
  out.reserve(piece.size() * count);
  for (std::size_t i = 0; i < count; ++i) out += piece;
  return out;
}

class ProjectReader : public ::testing::Test {
 protected:
  int Read(std::string_view text) {
    path_ = tree_.File("p.tpf", text).string();
    return project_->OpenProjectFile(path_.c_str());
  }
  std::string Messages() const { return project_->GetMessages(); }
  std::string ElementName(std::size_t index) const {
    const ProjectElement* element = project_->GetElement(index);
    return element ? element->GetName() : "<none>";
  }

  km_test::ProjectTree tree_;
  std::unique_ptr<Project> project_ = TpsdkCreateProject(tree_.stubPath().c_str());
  std::string path_;
};

TEST(ProjectFileScanner, LongestMatchAndTies) {
  struct Case {
    std::string_view text;
    std::vector<std::pair<TokenKind, std::string_view>> tokens;
  };
  using K = TokenKind;
  const Case cases[] = {
      {"<?xml a?>b?>\n<?XmL?>",
       {{K::kXmlDeclaration, "<?xml a?>b?>"},
        {K::kWhiteSpace, "\n"},
        {K::kXmlDeclaration, "<?XmL?>"}}},
      {"<?xml\n?>",
       {{K::kOtherCharacter, "<"},
        {K::kOtherCharacter, "?"},
        {K::kWord, "xml"},
        {K::kWhiteSpace, "\n"},
        {K::kOtherCharacter, "?"},
        {K::kOtherCharacter, ">"}}},
      {"<tpf a>b>\r<TPF",
       {{K::kRootStart, "<tpf a>b>"},
        {K::kWhiteSpace, "\r"},
        {K::kOtherCharacter, "<"},
        {K::kWord, "TPF"}}},
      {"<Resources><RESOURCE\t<RESOURCE\n",
       {{K::kStartTag, "<Resources>"},
        {K::kResourceStart, "<RESOURCE\t"},
        {K::kOtherCharacter, "<"},
        {K::kWord, "RESOURCE"},
        {K::kWhiteSpace, "\n"}}},
      {"<PROJECT_NAME ></private></PRIVATE >",
       {{K::kOtherCharacter, "<"},
        {K::kWord, "PROJECT"},
        {K::kOtherCharacter, "_"},
        {K::kWord, "NAME"},
        {K::kWhiteSpace, " "},
        {K::kOtherCharacter, ">"},
        {K::kEndTag, "</private>"},
        {K::kOtherCharacter, "<"},
        {K::kOtherCharacter, "/"},
        {K::kWord, "PRIVATE"},
        {K::kWhiteSpace, " "},
        {K::kOtherCharacter, ">"}}},
      {"name='a>\nb' x_1=\"'\" n='a\"",
       {{K::kKnownAttribute, "name='a>\nb'"},
        {K::kWhiteSpace, " "},
        {K::kWord, "x"},
        {K::kOtherCharacter, "_"},
        {K::kWord, "1"},
        {K::kOtherCharacter, "="},
        {K::kOtherCharacter, "\""},
        {K::kOtherCharacter, "'"},
        {K::kOtherCharacter, "\""},
        {K::kWhiteSpace, " "},
        {K::kWord, "n"},
        {K::kOtherCharacter, "="},
        {K::kOtherCharacter, "'"},
        {K::kWord, "a"},
        {K::kOtherCharacter, "\""}}},
      {"<!---->/>a_b\xff",
       {{K::kCommentStart, "<!--"},
        {K::kCommentEnd, "-->"},
        {K::kEmptyTagEnd, "/>"},
        {K::kWord, "a"},
        {K::kOtherCharacter, "_"},
        {K::kWord, "b"},
        {K::kOtherCharacter, "\xff"}}},
  };
  for (const Case& c : cases) {
    ProjectFileScanner scanner(c.text);
    std::vector<std::pair<TokenKind, std::string_view>> tokens;
    std::size_t offset = 0;
    for (Token token; scanner.Peek() && scanner.Next(token); offset += token.text.size()) {
      EXPECT_EQ(token.offset, offset) << c.text;
      tokens.emplace_back(token.kind, token.text);
    }
    EXPECT_EQ(tokens, c.tokens) << c.text;
  }
}

// Each structural message, with the position of the offending token where it carries one.
TEST_F(ProjectReader, BrokenFilesAndTheirMessages) {
  const auto without = [](std::string_view name) {
    std::string text = Tpf();
    const std::string start = "<" + std::string(name) + ">", end = "</" + std::string(name) + ">";
    const std::size_t at = text.find(start);
    return text.erase(at, text.find(end) + end.size() - at);
  };
  struct Case {
    std::string text;
    std::string_view message;
    std::string_view at;  // its last occurrence is the position; none without one
    std::string_view level = "ERROR";
  };
  const Case cases[] = {
      {Tpf("", "<MODIFICATIONS><MODIFICATIONS>"), msg::kNestedModifications, "<MODIFICATIONS>"},
      {Tpf("", "</MODIFICATIONS>"), msg::kUnexpectedModificationsEnd, "</MODIFICATIONS>"},
      {Tpf("", "<MODIFICATION>\n<MODIFICATION>"), msg::kNestedModification, "<MODIFICATION>"},
      {Tpf("", "</MODIFICATION>"), msg::kUnexpectedModificationEnd, "</MODIFICATION>"},
      {Tpf("", "<DATE>d</DATE><USER>u</USER><ACTIONS><ACTIONS>"), msg::kNestedActions, "<ACTIONS>"},
      {Tpf("", "<MODIFICATION><USER>u</USER><ACTIONS>"), msg::kDateMissing, "<ACTIONS>"},
      {Tpf("", "<MODIFICATION><DATE>d</DATE><ACTIONS>"), msg::kUserMissing, "<ACTIONS>"},
      {Tpf("", "</ACTIONS>"), msg::kUnexpectedActionsEnd, "</ACTIONS>"},
      {Tpf("<RESOURCES>"), msg::kNestedResources, "<RESOURCES>"},
      {Tpf("", "</RESOURCES>"), msg::kUnexpectedResourcesEnd, "</RESOURCES>"},
      {std::string(kHead) + "<FOLDER_NAME>F</FOLDER_NAME>" + Resource("a"),
       msg::kResourceBeforeNames, "<RESOURCE "},
      {Tpf("", "<PRIVATE Identifier'x'>d</PRIVATE>"), msg::kMalformedPrivate, "<PRIVATE"},
      {Tpf(Resource("a", "Scope='0' Type=''")),
       "<RESOURCE ... /> tag, malformed or missing field(s): 'Type='", ""},
      {Tpf("<RESOURCE Type='sub' Scope=\"1\"/>"),
       "<RESOURCE ... /> tag, malformed or missing field(s): 'Name=', 'SubmissionOrder='", ""},
      {Tpf("<RESOURCE Name='t' Type='jtk' Scope='0' JobTicketOrder=''/>"),
       "<RESOURCE ... /> tag, malformed or missing field(s): 'JobTicketOrder/JobTicketID='", ""},
      {"", msg::kXmlHeaderMissing, ""},
      {"<?xml?><TPF>", msg::kTpfVersionMissing, ""},
      {"<?xml?><MODIFICATIONS>", msg::kEofInModifications, ""},
      {"<?xml?><MODIFICATION>", msg::kEofInModification, ""},
      {"<?xml?><DATE>d</DATE><USER>u</USER><ACTIONS>", msg::kEofInActions, ""},
      {"<?xml?><RESOURCES>", msg::kEofInResources, ""},
      {"<?xml?>", msg::kEofBeforeTpfEnd, ""},
      {Tpf("", "<PROJECT_TYPE>\nPS\n</PROJECT_TYPE>"), "Invalid project type: '\nPS\n'", ""},
      {Tpf("", "<PROJECT_TYPE>ps</PROJECT_TYPE>"), "Invalid project type: 'ps'", ""},
      {Tpf("", "<PROJECT_PATH Scope='3'>c:/x/</PROJECT_PATH>"),
       "Invalid or missing scope for project path 'c:\\x'", ""},
      {without("COPYRIGHT"), msg::kCopyrightMissing, "", "WARNING"},
      {without("FOLDER_NAME"), msg::kFolderNameMissing, "", "WARNING"},
      {without("PROJECT_NAME"), msg::kProjectNameMissing, "", "WARNING"},
      {without("PROJECT_VERSION"), msg::kProjectVersionMissing, "", "WARNING"},
      {without("PROJECT_TITLE"), msg::kProjectTitleMissing, "", "WARNING"},
      {without("GENERATOR"), msg::kGeneratorMissing, "", "WARNING"},
      {without("CREATION_DATE"), msg::kCreationDateMissing, "", "WARNING"},
      {without("PROJECT_DESCRIPTION"), msg::kDescriptionMissing, "", "INFO"},
      {without("AUTHOR"), msg::kAuthorMissing, "", "INFO"},
      {without("KEYWORDS"), msg::kKeywordsMissing, "", "INFO"},
  };
  for (const Case& c : cases) {
    Read(c.text);
    std::string line = std::string(c.level) + ": ";
    if (!c.at.empty()) line += "(pos. " + std::to_string(c.text.rfind(c.at)) + ") ";
    EXPECT_NE(Messages().find(line + std::string(c.message)), std::string::npos)
        << c.text << "\n--- logged:\n"
        << Messages();
  }
  Read(Tpf());
  EXPECT_EQ(Messages(), "");
}

TEST_F(ProjectReader, ReadStopsAtTheFirstErrorAndKeepsWhatWasRead) {
  const std::string text = std::string(kHead) + std::string(kInformation) + "<RESOURCES>" +
                           Resource("a") + "</ACTIONS>" + Resource("b") +
                           "</RESOURCES><PRIVATE Identifier='x'>d</PRIVATE></TPF>";
  EXPECT_EQ(Read(text), kError);
  EXPECT_EQ(Messages(), "ERROR: (pos. " + std::to_string(text.find("</ACTIONS>")) +
                            ") Unexpected </ACTIONS> tag encountered");
  EXPECT_EQ(project_->GetMessageRecords(),
            "ERROR,-1,0,\"" + Messages().substr(std::strlen("ERROR: ")) + "\"");
  EXPECT_EQ(project_->GetElementCount(), 1u);
  EXPECT_EQ(ElementName(0), "a");
  EXPECT_TRUE(project_->GetPrivateDataList().empty());
  EXPECT_STREQ(project_->GetCopyright(), "c");

  // The resource that logs its missing fields is kept; the next one is not read.
  Read(Tpf(Resource("a", "") + Resource("b")));
  ASSERT_EQ(project_->GetElementCount(), 1u);
  EXPECT_EQ(project_->GetElement(0)->GetScope(), 0);
}

TEST_F(ProjectReader, EdgeCasesOfTheFormat) {
  EXPECT_EQ(Read("\n" + Tpf()), kError);
  EXPECT_EQ(Messages(), "ERROR: '" + path_ + "' not an XML file");

  Read("");
  EXPECT_NE(Messages().find("ERROR: XML header not present\nERROR: Premature end of file (no "
                            "</TPF> tag?)"),
            std::string::npos);

  std::string text = Tpf(Resource("a"));
  text.insert(text.find("</RESOURCES>"), std::string_view("\0", 1));
  Read(text);
  EXPECT_NE(Messages().find("ERROR: Premature end of file (no </RESOURCES> tag?)"),
            std::string::npos);
  EXPECT_EQ(project_->GetElementCount(), 1u);

  const auto renamed = [](std::string_view tag) {
    std::string text = Tpf();
    return text.replace(text.find("<PROJECT_NAME>"), 14, tag);
  };
  Read(renamed("<project_Name>"));
  EXPECT_STREQ(project_->GetProjectName(), "P");
  Read(renamed("<PROJECT_NAME >"));
  EXPECT_STREQ(project_->GetProjectName(), "");

  Read(Tpf("<RESOURCE\nName='a' Type='ps' Scope='0'/>"));
  EXPECT_EQ(project_->GetElementCount(), 0u);
  Read(Tpf("<RESOURCE Name='a' Type='ps' Scope='0'>\n" + Resource("b")));
  ASSERT_EQ(project_->GetElementCount(), 1u);
  EXPECT_EQ(ElementName(0), "b");
  Read(Tpf("<!--" + Resource("c") + "-->"));
  EXPECT_EQ(ElementName(0), "c");
  Read(
      Tpf("<RESOURCE Name='s' Type='sub' Scope='0' SubmissionOrder='1'/>"
          "<RESOURCE Name='s2' Type='sub' Scope='0' SubmissionOrder='01'/>"));
  EXPECT_NE(Messages().find("Could not add submission file 's2' - submission order '1'"),
            std::string::npos);
  EXPECT_EQ(project_->GetElementCount(), 1u);

  // References are decoded in the names, descriptions and MIME types only, once, in order.
  Read(
      Tpf("<RESOURCE Name='a&amp;b&#38;c' Type='p&amp;' Scope='0' Precaching='&lt;' "
          "Description='&lt;&gt;&apos;&quote;&quot;&amp;lt;' Mime='&amp;' Extra_1='&gt;'/>"));
  const ProjectElement* element = project_->GetElement(0);
  ASSERT_NE(element, nullptr);
  EXPECT_STREQ(element->GetName(), "a&b&#38;c");
  EXPECT_STREQ(element->GetType(), "p&amp;");
  EXPECT_STREQ(element->GetPrecaching(), "&lt;");
  EXPECT_STREQ(element->GetDescription(), "<>'\"\"&lt;");
  EXPECT_STREQ(element->GetMime(), "&");
  EXPECT_STREQ(element->GetAttribute("Extra_1"), "&gt;");
}

TEST_F(ProjectReader, ReadsEveryPart) {
  tree_.Resource(0, "t.jt");
  ASSERT_EQ(Read(Tpf("<RESOURCE Name='s' Type='sub' Scope='0' SubmissionOrder='1'/>"
                     "<RESOURCE Name='t.jt' Type='jtk' Scope='0' JobTicketOrder=' 1x' Mime='m'/>",
                     "<MODIFICATIONS><MODIFICATION><DATE>1 &amp; 2</DATE><USER>u</USER><ACTIONS>"
                     "<ACTION>x</ACTION><ACTION> y\n</ACTION></ACTIONS></MODIFICATION>"
                     "</MODIFICATIONS><PRIVATE Identifier='id'>da>ta</PRIVATE>"
                     "<PRIVATE\tIdentifier=\"q>\"><b></PRIVATE><PROJECT_PATH Foo='a>b' "
                     "Scope='1'>c:/x/</PROJECT_PATH>")),
            0)
      << Messages();
  ASSERT_EQ(project_->GetModificationCount(), 1u);
  const ModificationRecord& record = *project_->GetModification(0);
  EXPECT_STREQ(record.GetDate(), "1 & 2");
  EXPECT_STREQ(record.GetUser(), "u");
  ASSERT_EQ(record.GetActionCount(), 2u);
  EXPECT_STREQ(record.GetAction(1), " y\n");
  ASSERT_EQ(project_->GetPrivateDataList().size(), 2u);
  EXPECT_STREQ(project_->GetPrivateData("id"), "da>ta");
  EXPECT_STREQ(project_->GetPrivateData("q>"), "<b>");
  EXPECT_EQ(project_->GetTpfProjectPaths()[1], "c:\\x");
  EXPECT_EQ(project_->GetElement(1)->GetJobTicketOrder(), 1);
  EXPECT_EQ(project_->GetSubmissionJobTicketPath(0), (tree_.ScopeFolder(0) / "t.jt").string());
  EXPECT_STREQ(project_->GetTpfVersion(), "2.0");

  struct Header {
    std::string_view text;
    const char* encoding;
    const char* version;
  };
  for (const Header& h : {Header{"<?xml version='1.0'?><TPF V=\"3.1\">", "", "3.1"},
                          Header{"<?xml encoding=\"UTF-8\"?>\n<TPF Version='x>", "UTF-8", "x>"},
                          Header{"<?XML encoding='?>\n<tpf>", "ISO-8859-1", ""}}) {
    Read(std::string(h.text) + "\n</TPF>");
    EXPECT_STREQ(project_->GetEncoding(), h.encoding) << h.text;
    EXPECT_STREQ(project_->GetTpfVersion(), h.version) << h.text;
  }
}

TEST_F(ProjectReader, LineEndsTruncationAndGarbage) {
  const std::string lf = Tpf(Resource("a"), "<PRIVATE Identifier='i'>x\ny</PRIVATE></ACTIONS>");
  for (std::string_view lineEnd : {"\r\n", "\r"}) {
    std::string text;
    for (char c : lf) text += c == '\n' ? std::string(lineEnd) : std::string(1, c);
    Read(text);
    EXPECT_NE(Messages().find("(pos. " + std::to_string(text.find("</ACTIONS>")) + ")"),
              std::string::npos);
    EXPECT_EQ(ElementName(0), "a");
    EXPECT_STREQ(project_->GetPrivateData("i"), lineEnd.size() == 2 ? "x\n\ny" : "x\ny");
  }

  const std::string whole = Tpf(Resource("a") + Resource("b"));
  Read(whole.substr(0, whole.find("<RESOURCE Name='b'")));
  EXPECT_NE(Messages().find("ERROR: Premature end of file (no </RESOURCES> tag?)\nERROR: "
                            "Premature end of file (no </TPF> tag?)"),
            std::string::npos);
  EXPECT_EQ(project_->GetElementCount(), 1u);
  Read(whole.substr(0, whole.find("</COPYRIGHT>") - 1));
  EXPECT_STREQ(project_->GetCopyright(), "");
  Read(std::string(kHead) + "<COPYRIGHT>abc");
  EXPECT_STREQ(project_->GetCopyright(), "abc");

  for (unsigned seed = 1; seed <= 4; ++seed) {
    EXPECT_EQ(Read(km_test::RandomBytes(64 << 10, seed)) & kError, kError);
    EXPECT_EQ(Read(Tpf(km_test::RandomBytes(64 << 10, seed))) & kError, kError);
  }
}

// Names are bytes: they are neither checked nor converted, and resolve like any other name.
TEST_F(ProjectReader, ResourcesResolveInTheirScopes) {
  const std::string odd = "\xc3\x28\xff.ps";
  tree_.Resource(0, "l.ps");
  tree_.Resource(0, odd);
  tree_.Resource(1, "f.ps");
  tree_.Resource(2, "g.ps");
  ASSERT_EQ(Read(Tpf(Resource("l.ps") + Resource(odd) + Resource("f.ps", "Scope='1'") +
                     Resource("g.ps", "Scope='2'") + Resource("new.ps", "Scope='2'") +
                     Resource("g.ps", "Scope='7'"))),
            0)
      << Messages();
  const std::pair<int, std::string> expected[] = {{0, "l.ps"}, {0, odd},      {1, "f.ps"},
                                                  {2, "g.ps"}, {2, "new.ps"}, {0, "g.ps"}};
  ASSERT_EQ(project_->GetElementCount(), std::size(expected));
  for (std::size_t i = 0; i < std::size(expected); ++i) {
    EXPECT_EQ(ElementName(i), expected[i].second);
    EXPECT_EQ(project_->GetElement(i)->GetLocalPath(),
              (tree_.ScopeFolder(expected[i].first) / expected[i].second).string());
  }
  EXPECT_EQ(project_->GetElement(5)->GetScope(), 7);

  project_->Reset();
  project_->SetPrintAndForget(true);
  project_->ParseProjectText("x.tpf", Tpf(Resource("g.ps", "Scope='2'")));
  EXPECT_EQ(project_->GetElement(0)->GetScope(), 0);
}

TEST_F(ProjectReader, FilesThatCannotBeOpenedOrHaveNoPathContext) {
  const std::string missing = (tree_.root() / "none.tpf").string();
  EXPECT_EQ(project_->OpenProjectFile(missing.c_str()), kError);
  EXPECT_EQ(Messages(), "ERROR: Could not open file '" + missing + "'");
  // Over the size limit (a sparse file, nothing is written) and not a regular file.
  const std::filesystem::path huge = tree_.File("huge.tpf", "");
  std::filesystem::resize_file(huge, (std::uintmax_t{256} << 20) + 1);
  for (const std::filesystem::path& path : {huge, tree_.root()}) {
    EXPECT_EQ(project_->OpenProjectFile(path.c_str()), kError);
    EXPECT_EQ(Messages(), "ERROR: Could not open file '" + path.string() + "'");
  }

  // Without its names a project has no scope folders yet; that is the names' warning alone.
  std::string nameless = Tpf();
  EXPECT_EQ(Read(nameless.erase(nameless.find("<FOLDER_NAME>"), 28)), kWarning) << Messages();
  auto unrelated = TpsdkCreateProject(tree_.File("empty.run", "").c_str());
  unrelated->OpenProjectFile(tree_.File("q.tpf", Tpf()).c_str());
  EXPECT_EQ(unrelated->GetMessages(), "ERROR: " + std::string(msg::kNoPathContext));
}

// Sizes and shapes that would show an allocation per token or a rescan per position.
TEST_F(ProjectReader, LargeAndDeepInputs) {
  const std::string open = "<PRIVATE Identifier='a'>";
  ASSERT_EQ(Read(Tpf("", Repeat(open, 10000) + "x" + Repeat("</PRIVATE>", 10000))), 0);
  ASSERT_EQ(project_->GetPrivateDataList().size(), 1u);
  EXPECT_EQ(project_->GetPrivateData("a"), Repeat(open, 9999) + "x");
  // Opaque data ends at the first end tag, whatever the tokens around it would be.
  ASSERT_EQ(Read(Tpf("",
                     "<PRIVATE Identifier='a'>x='</PRIVATE><PRIVATE Identifier='b'><TPF "
                     "</private>>\n")),
            0);
  EXPECT_STREQ(project_->GetPrivateData("a"), "x='");
  EXPECT_STREQ(project_->GetPrivateData("b"), "<TPF ");

  EXPECT_EQ(Read(Tpf("", Repeat("<", 1000000) + "\n" + Repeat("<TPF", 250000) + "\n" +
                             Repeat("<?xml", 200000) + "\n" + Repeat("a_", 500000) + "\n" +
                             Repeat("a='", 200000) + "\n")),
            0)
      << Messages().substr(0, 300);
}

}  // namespace
}  // namespace tpsdk
