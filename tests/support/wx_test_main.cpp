// wxBase is started once for the whole run, as the front ends do.
#include <gtest/gtest.h>
#include <wx/init.h>
#include <wx/log.h>

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  wxInitializer wx;
  if (!wx.IsOk()) return 1;
  // Diagnostics go to stderr, never into a dialog.
  delete wxLog::SetActiveTarget(new wxLogStderr);
  return RUN_ALL_TESTS();
}
