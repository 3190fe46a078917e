#pragma once
// A private application-data folder: KORAMANAGE_APPDATA points at a scratch folder while the
// test runs, so the standard settings file is the test's own.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>

#include "env_override.h"
#include "file_io.h"
#include "scratch_folder.h"

namespace settings_test {

class AppDataTest : public ::testing::Test {
 protected:
  const std::filesystem::path& root() const { return folder_.path(); }
  std::filesystem::path settingsPath() const {
    return root() / "Norvale" / "KORA" / "KMAN" / "koramanage.ini";
  }
  // Lays down the settings file as an installation would.
  void Install(std::string_view content) const { km_test::WriteFile(settingsPath(), content); }
  std::string Installed() const { return km_test::ReadFile(settingsPath()); }

 private:
  km_test::ScratchFolder folder_{"km_settings"};
  km_test::EnvOverride appData_{"KORAMANAGE_APPDATA", folder_.path().string()};
};

}  // namespace settings_test
