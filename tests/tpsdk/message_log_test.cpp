#include "tpsdk/message_log.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "tpsdk/message_catalogue.h"

namespace tpsdk {
namespace {

TEST(MessageLog, LinesAndRecords) {
  struct Case {
    int level;
    std::string_view format;
    std::initializer_list<MessageArg> args;
    const char* line;
    const char* record;
  };
  const Case cases[] = {
      {kError,
       msg::kCouldNotOpenFile,
       {"C:\\p\\x.tpf"},
       "ERROR: Could not open file 'C:\\p\\x.tpf'",
       "ERROR,3,1,C:\\p\\x.tpf,\"Could not open file '%s'\""},
      {kInfo,
       msg::kDescriptionMissing,
       {},
       "INFO: Project description not specified",
       "INFO,28,0,\"Project description not specified\""},
      {kError,
       msg::kCouldNotCreateFile,
       {"/p/x.tpf", "(No such file or directory)"},
       "ERROR: Could not create file '/p/x.tpf' ((No such file or directory))",
       "ERROR,40,2,/p/x.tpf,\"\"No such file or directory\"\",\"Could not create file '%s' "
       "(%s)\""},
      {kWarning,
       msg::kSubmissionOrderOutOfSync,
       {2, 3},
       "WARNING: Submission file order out of sync with job ticket order: '2' vs '3'",
       "WARNING,95,2,2,3,\"Submission file order out of sync with job ticket order: '%d' vs "
       "'%d'\""},
      {kCancelled,
       "not a catalogue text %s",
       {"x"},
       "CANCELLED: not a catalogue text x",
       "CANCELLED,-1,1,x,\"not a catalogue text %s\""},
  };
  for (const Case& c : cases) {
    MessageLog log;
    log.Log(c.level, c.format, c.args);
    EXPECT_STREQ(log.Text(), c.line);
    EXPECT_STREQ(log.Records(), c.record);
    EXPECT_EQ(log.StatusMask(), c.level);
  }
  MessageLog position;
  position.LogFormatted(kError, "(pos. 12) Nested <MODIFICATION> sections not allowed");
  EXPECT_STREQ(position.Records(),
               "ERROR,-1,0,\"(pos. 12) Nested <MODIFICATION> sections not allowed\"");
}

TEST(MessageLog, DuplicatesMaskAndOrder) {
  MessageLog log;
  log.Log(kError, msg::kStubPrematureEof, {12});
  log.Log(kError, msg::kStubPrematureEof, {12});
  log.Log(kError, msg::kStubPrematureEof, {1});  // a substring of the line above
  EXPECT_STREQ(log.Text(), "ERROR: Stubfile premature EOF at line: 12");
  log.Log(kWarning, msg::kFolderNameMissing);
  log.Log(0, msg::kFolderNameMissing);  // not a level
  log.Log(3, msg::kAuthorMissing);
  EXPECT_STREQ(log.Text(),
               "ERROR: Stubfile premature EOF at line: 12\nWARNING: Folder name not specified");
  EXPECT_STREQ(log.Records(),
               "ERROR,85,1,12,\"Stubfile premature EOF at line: %d\"|WARNING,24,0,\"Folder name "
               "not specified\"");
  EXPECT_EQ(log.StatusMask(), kError | kWarning);

  MessageLog wording;  // the mask reads words, wherever they stand
  wording.Log(kWarning, msg::kResourceNotFound, {"ERROR: INFO.ps"});
  EXPECT_EQ(wording.StatusMask(), kWarning | kError | kInfo);
  wording.Log(kError, "INFO.ps");  // inside the line above, after its level word
  wording.Log(kError, msg::kResourceNotFound, {"x\nERROR: y"});
  wording.Log(kError, "y");  // the tail of a line holding a line feed
  EXPECT_STREQ(wording.Text(),
               "WARNING: Could not find the resource 'ERROR: INFO.ps'\n"
               "ERROR: Could not find the resource 'x\nERROR: y'");
  wording.Clear();
  EXPECT_STREQ(wording.Text(), "");
  EXPECT_EQ(wording.StatusMask(), 0);
}

// The index must answer exactly as a search of the whole text would.
TEST(MessageLog, IndexAgreesWithTextSearch) {
  std::mt19937 random(7);
  const std::string_view words[] = {"ERROR: ", "INFO", "a", "ab", "b", "\n", "WARNING: ", "'"};
  const int levels[] = {kInfo, kWarning, kError, kCancelled};
  MessageLog log;
  std::string expected;
  for (int i = 0; i < 3000; ++i) {
    std::string message;
    for (int n = random() % 6; n >= 0; --n) message += words[random() % std::size(words)];
    const int level = levels[random() % 4];
    const std::string line = std::string(LevelName(level)) + ": " + message;
    const bool present = expected.find(line) != std::string::npos;
    ASSERT_EQ(log.Contains(line), present) << line;
    log.Log(level, "%s", {message});
    if (!present) expected += (expected.empty() ? "" : "\n") + line;
    ASSERT_EQ(expected, log.Text());
  }
}

}  // namespace
}  // namespace tpsdk
