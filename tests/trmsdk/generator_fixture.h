#pragma once
// A started generator for each test, in a scratch folder whose "work" is the working directory and
// whose "tmp" is the temporary folder; the project jobs' tests add a project tree.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "env_override.h"
#include "file_io.h"
#include "project_helpers.h"
#include "random_bytes.h"
#include "scratch_folder.h"
#include "trm.h"

namespace trm_test {

namespace fs = std::filesystem;
using km_test::ReadFile;
using km_test::WriteFile;

using Bytes = std::vector<unsigned char>;
inline Bytes Text(std::string_view text) {
  return Bytes(text.begin(), text.end());
}
inline Bytes RandomBytes(std::size_t size, unsigned seed) {
  return Text(km_test::RandomBytes(size, seed));
}
inline std::span<const unsigned char> AsBytes(std::string_view text) {
  return {reinterpret_cast<const unsigned char*>(text.data()), text.size()};
}

// The job text after the prolog's date line, or the whole job when it has none.
inline std::string JobBody(const std::string& job) {
  const auto date = job.find("\n/DATE (");
  return date == std::string::npos ? job : job.substr(job.find(") def\n", date) + 6);
}

// How often part occurs in text.
inline std::size_t Count(std::string_view text, std::string_view part) {
  std::size_t n = 0;
  for (auto at = text.find(part); at != std::string_view::npos; at = text.find(part, at + 1)) ++n;
  return n;
}

// Each part found after the end of the one before it.
inline ::testing::AssertionResult InOrder(std::string_view text,
                                          const std::vector<std::string>& parts) {
  std::size_t at = 0;
  for (const std::string& part : parts) {
    const std::size_t found = text.find(part, at);
    if (found == std::string_view::npos) {
      return ::testing::AssertionFailure() << "missing or out of order: " << part.substr(0, 80);
    }
    at = found + part.size();
  }
  return ::testing::AssertionSuccess();
}

using Fos = std::unique_ptr<trmFOS, int (*)(trmFOS*)>;
using Ios = std::unique_ptr<trmIOS, int (*)(trmIOS*)>;
using Pps = std::unique_ptr<trmPPS, int (*)(trmPPS*)>;
using Vos = std::unique_ptr<trmVOS, int (*)(trmVOS*)>;
inline Fos NewFos() {
  return Fos(trmNewFOS(), &trmFreeFOS);
}
inline Vos NewVos(const std::string& output = {}, std::uint32_t flags = 0) {
  Vos vos(trmNewVOS(), &trmFreeVOS);
  if (!output.empty()) trmVOSSetOutputPath(vos.get(), output.c_str());
  trmVOSSetFlags(vos.get(), flags);
  return vos;
}

class GeneratorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(scratch_ / "tmp");
    fs::create_directories(scratch_ / "work");
    fs::current_path(scratch_ / "work");
    if (startGenerator_) {
      ASSERT_EQ(trmInitialize(), TRM_OK);
    }
  }
  void TearDown() override { trmFinished(); }

  fs::path Path(std::string_view relative) const { return scratch_ / relative; }
  std::string Output() const { return Path("out/job.ps").string(); }
  bool NothingWritten() const {
    return !fs::exists(Path("out")) || km_test::FolderEntries(Path("out")).empty();
  }

  bool startGenerator_ = true;

 private:
  km_test::ScratchFolder scratch_{"km_trm"};
  km_test::EnvOverride tmpdir_{"TMPDIR", (scratch_ / "tmp").string()};
};

// Project "P" of folder "F" written by the project model into a scope tree.
class ProjectGeneratorTest : public GeneratorTest {
 protected:
  // Made once the fixture's temporary folder exists.
  void SetUp() override {
    GeneratorTest::SetUp();
    tree_.emplace("trm_project");
  }
  const km_test::ProjectTree& tree() const { return *tree_; }
  fs::path ProjectFile() const { return tree().ScopeFolder(0) / "P.tpf"; }
  std::string Local(int scope, std::string_view name) const {
    return (tree().ScopeFolder(scope) / name).string();
  }
  void WriteProject(const std::vector<km_test::ProjectResource>& resources) const {
    ASSERT_EQ(km_test::WriteProject(tree(), resources), "");
  }
  // Names the project by folder and project name through the tree's installation.
  Pps NewPps() const {
    Pps pps(trmNewPPS(), &trmFreePPS);
    trmPPSSetKORAPath(pps.get(), tree().root().c_str());
    trmPPSSetProject(pps.get(), "F", "P");
    return pps;
  }
  // Output() replaced by each job.
  Vos NewVos() const { return trm_test::NewVos(Output(), TRM_FLAG_REPLACE); }

 private:
  std::optional<km_test::ProjectTree> tree_;
};

}  // namespace trm_test
