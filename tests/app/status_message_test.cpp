#include "status_message.h"

#include <gtest/gtest.h>

#include <tuple>

namespace app_test {
namespace {

// A detail that names something follows the text (shown by the task runner's test).
TEST(StatusMessageTest, DetailIsLeftOutWhereItNamesNothingAndUnknownCodesGetTheGeneralText) {
  const std::tuple<int, const char*, const char*> cases[] = {
      {1023, "", "A file is too large for KORAManage to process."},
      {1012, nullptr, "KORAManage cannot read the file."},
      {1013, "/jobs/p.tpf", "No project resources match the selection criteria."},
      {1021, "x", "KORAManage encounters a problem."},
  };
  for (const auto& [code, detail, expected] : cases) {
    EXPECT_EQ(app::StatusMessage(code, detail).utf8_string(), expected) << code;
  }
}

}  // namespace
}  // namespace app_test
