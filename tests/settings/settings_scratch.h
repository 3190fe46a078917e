#pragma once
// A private application-data folder for one test: KORAMANAGE_APPDATA points at it while the
// test runs, and the folder is removed afterwards.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

namespace settings_test {

class AppDataScratch {
 public:
  AppDataScratch() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = "km_settings_";
    name += info ? info->name() : "test";
    name += "_" + std::to_string(getpid());
    root_ = std::filesystem::temp_directory_path() / name;
    std::filesystem::remove_all(root_);
    std::filesystem::create_directories(root_);
    if (const char* old = getenv("KORAMANAGE_APPDATA")) saved_ = old;
    setenv("KORAMANAGE_APPDATA", root_.c_str(), 1);
  }
  ~AppDataScratch() {
    if (saved_) {
      setenv("KORAMANAGE_APPDATA", saved_->c_str(), 1);
    } else {
      unsetenv("KORAMANAGE_APPDATA");
    }
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
  }
  AppDataScratch(const AppDataScratch&) = delete;
  AppDataScratch& operator=(const AppDataScratch&) = delete;

  const std::filesystem::path& root() const { return root_; }
  std::filesystem::path settingsPath() const {
    return root_ / "Norvale" / "KORA" / "KMAN" / "koramanage.ini";
  }
  // Lays down the settings file as an installation would.
  void Install(const std::string& content) const { WriteFile(settingsPath(), content); }

  static void WriteFile(const std::filesystem::path& path, const std::string& content) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out << content;
  }
  static std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

 private:
  std::filesystem::path root_;
  std::optional<std::string> saved_;
};

}  // namespace settings_test
