#pragma once
// A private application-data folder and home for GUI tests: the standard settings file and
// the instance lock file are the test's own. Windows left over are destroyed at the end.

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/toplevel.h>

#include <filesystem>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "env_override.h"
#include "file_io.h"
#include "scratch_folder.h"

// Sizes in failure messages as numbers.
inline void PrintTo(const wxSize& size, std::ostream* out) {
  *out << size.GetWidth() << "x" << size.GetHeight();
}

namespace app_test {

class AppTest : public ::testing::Test {
 protected:
  ~AppTest() override {
    const std::vector<wxWindow*> left(wxTopLevelWindows.begin(), wxTopLevelWindows.end());
    for (wxWindow* window : left) window->Destroy();
    wxTheApp->ProcessIdle();
  }

  const std::filesystem::path& root() const { return folder_.path(); }
  std::filesystem::path settingsPath() const {
    return root() / "appdata" / "Norvale" / "KORA" / "KMAN" / "koramanage.ini";
  }
  void Install(std::string_view content) const { km_test::WriteFile(settingsPath(), content); }
  std::string Installed() const { return km_test::ReadFile(settingsPath()); }

 private:
  km_test::ScratchFolder folder_{"km_app"};
  km_test::EnvOverride appData_{"KORAMANAGE_APPDATA", (folder_.path() / "appdata").string()};
  km_test::EnvOverride home_{"HOME", folder_.path().string()};
};

}  // namespace app_test
