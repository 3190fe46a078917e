#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "kmjob_fixture.h"
#include "project_tree.h"

namespace kmjob_test {
namespace {

namespace fs = std::filesystem;

constexpr char kProject[] =
    "<?xml version='1.0'?>\n<TPF Version='2.0'>\n"
    "<PROJECT_TYPE>KORA</PROJECT_TYPE><FOLDER_NAME>F</FOLDER_NAME>"
    "<PROJECT_NAME>P</PROJECT_NAME>\n<RESOURCES>\n"
    "<RESOURCE Name='b.ps' Type='sub' Scope='0' SubmissionOrder='1'/>\n"
    "<RESOURCE Name='f.ps' Type='ps' Scope='1'/>\n"
    "<RESOURCE Name='a.ps' Type='ps' Scope='2'/>\n"
    "</RESOURCES>\n</TPF>\n";

struct Resource {
  int scope;
  const char* name;
  std::string bytes;
};

const std::vector<Resource>& Resources() {
  static const std::vector<Resource> resources{
      {0, "b.ps", "%!PS local\n"},
      {1, "f.ps", std::string("folder\0\r\n\xff", 10)},
      {2, "a.ps", std::string(30000, 'g')},  // several tar blocks
  };
  return resources;
}

// The project in a tree of its own, its file beside the scope folders; returns the file.
std::string MakeProject(const km_test::ProjectTree& tree) {
  for (const Resource& r : Resources()) tree.Resource(r.scope, r.name, r.bytes);
  return tree.File("P.tpf", kProject).string();
}

TEST_F(KmjobTest, TpcRoundTripCreatesChecksAndExtractsIntoAnotherTree) {
  km_test::ProjectTree source("km_tpc_source"), target("km_tpc_target");
  const std::string tpf = MakeProject(source);
  const std::string container = Path("out.tpc");

  auto result = Kmjob({"tpc", "create", tpf, container, "--kora", source.root().string()});
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, container + "\n");
  EXPECT_NE(result.err.find("WARNING: Copyright not specified"), std::string::npos) << result.err;
  EXPECT_EQ(km_test::ReadFile(tpf), kProject);  // the operator's file is not rewritten
  EXPECT_EQ(km_test::ReadFile(container).substr(0, 2), "PK");

  // A name without a suffix: the file written is named, not the one asked for.
  result = Kmjob({"tpc", "create", tpf, "bare", "--stub", source.stubPath().string()});
  EXPECT_EQ(result.out, fs::canonical(Path("bare.tpc")).string() + "\n") << result.err;

  const std::string stub = target.stubPath().string();
  result = Kmjob({"tpc", "check", container, "--stub", stub});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out, "Folder name:  F\nProject name: P\nResources:    3\n");
  for (int scope = 0; scope < 3; ++scope) {
    EXPECT_TRUE(km_test::FolderEntries(target.ScopeFolder(scope)).empty());
  }

  result = Kmjob({"tpc", "extract", container, "--stub", stub});
  EXPECT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.out.find("Project file: " + (target.ScopeFolder(0) / "P.tpf").string() + "\n"),
            std::string::npos)
      << result.out;
  EXPECT_EQ(result.out.find("WARNING"), std::string::npos);
  for (const Resource& r : Resources()) {
    const fs::path placed = target.ScopeFolder(r.scope) / r.name;
    EXPECT_EQ(km_test::ReadFile(placed), r.bytes) << placed;
    EXPECT_NE(result.out.find(std::string(r.name) + " -> " + placed.string() + "\n"),
              std::string::npos)
        << result.out;
  }

  // An edited file survives --keep-existing and is replaced without it.
  const fs::path edited = target.Resource(0, "b.ps", "edited");
  EXPECT_EQ(Kmjob({"tpc", "extract", container, "--stub", stub, "--keep-existing"}).status, 0);
  EXPECT_EQ(km_test::ReadFile(edited), "edited");
  EXPECT_EQ(Kmjob({"tpc", "extract", container, "--stub", stub}).status, 0);
  EXPECT_EQ(km_test::ReadFile(edited), Resources()[0].bytes);

  result = Kmjob({"tpc", "extract", container, "--stub", target.PrintAndForgetStub().string(),
                  "--print-and-forget"});
  EXPECT_EQ(result.status, 0) << result.err;
  for (const Resource& r : Resources()) {
    EXPECT_EQ(km_test::ReadFile(target.PrintAndForgetFolder() / r.name), r.bytes) << r.name;
  }
}

TEST_F(KmjobTest, TpcTarWritesOneFileOrTheVolumesItNames) {
  km_test::ProjectTree source("km_tpc_source");
  const std::string tpf = MakeProject(source);
  const std::string kora = source.root().string();

  auto result = Kmjob({"tpc", "create", tpf, Path("one.tpc"), "--tar", "--kora", kora});
  EXPECT_EQ(result.status, 0) << result.err;
  const std::string tar = km_test::ReadFile(Path("one.tpc"));
  EXPECT_EQ(tar.substr(0, 6), std::string("P.tpf\0", 6));  // a tar header, not "PK"

  // 10 KiB volumes: the 30000-byte resource alone spans three.
  result =
      Kmjob({"tpc", "create", tpf, Path("vol.tpc"), "--tar", "--volume-blocks=1", "--kora", kora});
  EXPECT_EQ(result.status, 0) << result.err;
  const std::vector<std::string> names = km_test::Lines(result.out);
  ASSERT_GE(names.size(), 3u) << result.out;
  char last[64];
  std::snprintf(last, sizeof last, "vol_%06zu_%06zu.tpv", names.size(), names.size());
  EXPECT_EQ(names.back(), Path(last));
  std::size_t total = 0;
  for (const std::string& name : names) total += fs::file_size(name);
  EXPECT_FALSE(fs::exists(Path("vol.tpc")));
  EXPECT_EQ(total, tar.size());  // the volumes are that tar archive cut in pieces
}

TEST_F(KmjobTest, TpcFailuresNameTheFileAndLeaveNothingBehind) {
  km_test::ProjectTree source("km_tpc_source");
  const std::string tpf = MakeProject(source);
  const std::string kora = source.root().string();
  const std::string container = Path("out.tpc");
  fs::remove(source.ScopeFolder(1) / "f.ps");

  struct Failure {
    std::vector<std::string> arguments;
    int status;
    std::string error;
  };
  const std::string missing = Path("none.tpc");
  const std::string usage = "usage: kmjob tpc ";
  for (const Failure& f : {
           Failure{{"create", Path("none.tpf"), container}, 1, "none.tpf"},
           Failure{{"create", tpf, container}, 1, (source.ScopeFolder(1) / "f.ps").string()},
           Failure{{"create", tpf, container, "--tar", "--volume-blocks", "1"}, 1, "f.ps"},
           Failure{{"extract", missing}, 1, "kmjob: " + missing + ": tpc extract failed"},
           Failure{{"check", missing}, 1, "kmjob: " + missing + ": tpc check failed"},
           Failure{{}, 64, usage + "create"},
           Failure{{"list"}, 64, "unknown tpc command list"},
           Failure{{"create", tpf}, 64, usage + "create"},
           Failure{{"extract", missing, "x"}, 64, usage + "extract"},
           Failure{{"create", tpf, container, "--volume-blocks", "4"}, 64, "needs --tar"},
           Failure{{"create", tpf, container, "--tar", "--volume-blocks", "0"}, 64, "not '0'"},
           Failure{{"create", tpf, container, "--tar", "--volume-blocks", "-3"}, 64, "not '-3'"},
           Failure{{"create", tpf, container, "--tar", "--volume-blocks", "9x"}, 64, "not '9x'"},
           Failure{{"create", tpf, container, "--stub", "s"}, 64, "at most one of"},
           Failure{{"check", missing, "--tar"}, 64, "belong to tpc create"},
           Failure{{"create", tpf, container, "--keep-existing"}, 64, "belong to tpc extract"},
       }) {
    std::vector<std::string> arguments{"tpc"};
    arguments.insert(arguments.end(), f.arguments.begin(), f.arguments.end());
    arguments.insert(arguments.end(), {"--kora", kora});
    const auto result = Kmjob(arguments);
    EXPECT_EQ(result.status, f.status) << arguments[1] << "\n" << result.err;
    EXPECT_NE(result.err.find(f.error), std::string::npos) << result.err;
    // Only the fixture's own files: no container, volume or partial file.
    EXPECT_TRUE(km_test::FolderEntries(dir_.path()).empty()) << arguments[1];
  }
}

}  // namespace
}  // namespace kmjob_test
