#include "status_message.h"

#include <gtest/gtest.h>

namespace app_test {
namespace {

TEST(StatusMessageTest, DetailFollowsOnlyWhereItNamesSomething) {
  struct Case {
    int code;
    const char* detail;
    const char* expected;
  };
  const Case cases[] = {
      {1017, "trmVOS.outputPath", "KORAManage needs more information.\n\ntrmVOS.outputPath"},
      {1003, "/jobs/a.frm", "KORAManage cannot locate the source file.\n\n/jobs/a.frm"},
      {1023, "", "A file is too large for KORAManage to process."},
      {1012, nullptr, "KORAManage cannot read the file."},
      {1013, "/jobs/p.tpf", "No project resources match the selection criteria."},
      {1006, "x", "TRMSDK is not started."},
      {1022, "x",
       "A printable container cannot be generated because this project contains PDF files as "
       "resources of type \"seg\"."},
      {1001, "x", "KORAManage encounters a problem."},
      {1021, "x", "KORAManage encounters a problem."},
      {1024, nullptr, "KORAManage encounters a problem."},
      {0, nullptr, "KORAManage encounters a problem."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(app::StatusMessage(c.code, c.detail).utf8_string(), c.expected) << c.code;
  }
}

}  // namespace
}  // namespace app_test
