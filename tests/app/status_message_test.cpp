#include "status_message.h"

#include <gtest/gtest.h>

#include <tuple>

namespace app_test {
namespace {

TEST(StatusMessageTest, DetailFollowsOnlyWhereItNamesSomething) {
  const char* const problem = "KORAManage encounters a problem.";
  const std::tuple<int, const char*, const char*> cases[] = {
      {1017, "trmVOS.outputPath", "KORAManage needs more information.\n\ntrmVOS.outputPath"},
      {1023, "", "A file is too large for KORAManage to process."},
      {1012, nullptr, "KORAManage cannot read the file."},
      {1013, "/jobs/p.tpf", "No project resources match the selection criteria."},
      {1001, "x", problem},
      {1021, "x", problem},
      {1024, nullptr, problem},
  };
  for (const auto& [code, detail, expected] : cases) {
    EXPECT_EQ(app::StatusMessage(code, detail).utf8_string(), expected) << code;
  }
}

}  // namespace
}  // namespace app_test
