// Container operations of a project against real archives: round trips through zip and tar,
// Print-and-Forget, broken containers, overwrite answers, folders, callbacks and volumes.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "env_override.h"
#include "file_io.h"
#include "process.h"
#include "project_helpers.h"
#include "random_bytes.h"

namespace tpsdk {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;
using Names = std::vector<std::string>;

// The files of an opened project below a tree's "scopes" folder.
const Names kPlaced = {"F/P/P.tpf", "F/P/l.ps", "F/fshared/f.ps", "gshared/g.ps"};

// Every file below folder (folders themselves not), relative to it, sorted.
Names FilesBelow(const fs::path& folder) {
  Names files;
  std::error_code ec;
  for (fs::recursive_directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    if (!it->is_directory()) files.push_back(it->path().lexically_relative(folder).string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// The bare names of a container's entries in their order, as the system's tools list them.
Names EntryNames(const fs::path& container, bool tar) {
  const std::string listing = tar ? km_test::RunTool("tar", {"-tf", container.string()})
                                  : km_test::RunTool("unzip", {"-Z1", container.string()});
  Names names;
  for (const std::string& line : km_test::Lines(listing)) {
    names.push_back(fs::path(line).filename().string());
  }
  return names;
}

bool MentionsCancel(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text.find("cancel") != std::string::npos;
}

class ContainerOperations : public ::testing::Test {
 protected:
  struct Resource {
    std::string name;
    int scope;
    std::string bytes;
  };

  void SetUp() override {
    fs::create_directories(temp);
    source = TpsdkCreateProject(from.stubPath().c_str());
    ASSERT_TRUE(source);
    source->SetFolderProjectNames("F", "P");
    // Complete information: a loaded project then has nothing at all to report.
    for (auto set : {&Project::SetCopyright, &Project::SetProjectVersion, &Project::SetProjectTitle,
                     &Project::SetProjectDescription, &Project::SetAuthor, &Project::SetKeywords,
                     &Project::SetGenerator, &Project::SetCreationDate}) {
      (source.get()->*set)("x");
    }
    for (const Resource& r : resources) {
      auto element = km_test::NewElement(from, r.name.c_str(), "ps", r.scope);
      from.Resource(r.scope, r.name, r.bytes);
      ASSERT_EQ(source->AddElement(element), 0) << source->GetMessages();
    }
  }

  // No operation, failed or not, leaves a temporary file behind.
  void TearDown() override { EXPECT_EQ(km_test::FolderEntries(temp), Names{}); }

  // The source project as a container in the scratch folder.
  fs::path Container(const std::string& name, bool tar = false) {
    const fs::path path = scratch / name;
    source->SetArchiveFlag(tar);
    EXPECT_EQ(source->CreateContainer(path.c_str()), 0) << source->GetMessages();
    return path;
  }
  static std::unique_ptr<Project> Opener(const fs::path& stub) {
    auto project = TpsdkCreateProject(stub.c_str());
    EXPECT_TRUE(project) << stub;
    return project;
  }
  static bool Holds(const fs::path& file, const std::string& bytes) {
    return km_test::ReadFile(file) == bytes;
  }
  // The source's project file and resources, unchanged, each in its scope folder of the tree.
  void ExpectPlaced(const km_test::ProjectTree& tree) {
    EXPECT_EQ(FilesBelow(tree.root() / "scopes"), kPlaced);
    EXPECT_TRUE(Holds(tree.ScopeFolder(kScopeLocal) / "P.tpf", source->ComposeProjectFile()));
    for (const Resource& r : resources) {
      EXPECT_TRUE(Holds(tree.ScopeFolder(r.scope) / r.name, r.bytes)) << r.name;
    }
  }

  km_test::ProjectTree from{"ctr_from"};
  // Paths holding the word ERROR must not stop an operation.
  km_test::ProjectTree to{"ctr_ERROR_to"};
  km_test::ProjectTree other{"ctr_other"};
  km_test::ScratchFolder scratch{"ctr"};
  const fs::path temp = scratch / "tmp";
  const km_test::EnvOverride tmpdir{"TMPDIR", temp.string()};
  const std::vector<Resource> resources = {
      {"l.ps", kScopeLocal, "%!PS\r\n\0\xff local"s},
      {"f.ps", kScopeFolder, "%!PS folder shared\n"},
      // Large enough for many progress reports and for two extractions to overlap.
      {"g.ps", kScopeGlobal, km_test::RandomBytes(512 << 10, 7)},
  };
  std::unique_ptr<Project> source;
};

// Zip is the format of the other cases here.
TEST_F(ContainerOperations, RoundTripThroughTar) {
  // A project file written only for the container must not land in the current folder.
  const fs::path cwd = scratch / "cwd";
  fs::create_directories(cwd);
  fs::current_path(cwd);
  const fs::path container = Container("c.tpc", true);
  EXPECT_EQ(EntryNames(container, true), (Names{"P.tpf", "l.ps", "f.ps", "g.ps"}));
  EXPECT_EQ(km_test::FolderEntries(cwd), Names{});

  auto project = Opener(to.stubPath());
  EXPECT_EQ(project->OpenContainer(container.c_str()), 0) << project->GetMessages();
  ExpectPlaced(to);
  EXPECT_EQ(project->GetProjectFilePath(), (to.ScopeFolder(kScopeLocal) / "P.tpf").string());
  EXPECT_EQ(project->GetElementCount(), resources.size());

  EXPECT_EQ(source->SaveProject(), 0) << source->GetMessages();
  EXPECT_EQ(source->GetProjectFilePath(), (from.ScopeFolder(kScopeLocal) / "P.tpf").string())
      << "a project saved after a container was made from it must be saved in its own "
         "folder, not at the removed temporary path";
}

TEST_F(ContainerOperations, PrintAndForgetKeepsFilesInItsFolderUntilRemoved) {
  // Tar keeps the read-only modes, which Print-and-Forget must lift.
  for (const Resource& r : resources) {
    fs::permissions(from.ScopeFolder(r.scope) / r.name, fs::perms(0444));
  }
  const fs::path container = Container("c.tpc", true);
  auto project = Opener(to.PrintAndForgetStub());
  ASSERT_EQ(project->OpenContainerPrintAndForget(container.c_str()), 0) << project->GetMessages();
  EXPECT_TRUE(project->IsPrintAndForget());
  const fs::path folder = to.PrintAndForgetFolder();
  EXPECT_EQ(km_test::FolderEntries(folder), (Names{"P.tpf", "f.ps", "g.ps", "l.ps"}));
  EXPECT_EQ(FilesBelow(to.root() / "scopes"), Names{});
  for (const Resource& r : resources) {
    EXPECT_TRUE(Holds(folder / r.name, r.bytes)) << r.name;
    EXPECT_EQ(fs::status(folder / r.name).permissions(), fs::perms(0600))
        << r.name << " must be writable once placed";
  }

  EXPECT_EQ(project->RemovePrintAndForget(), 0) << project->GetMessages();
  EXPECT_EQ(km_test::FolderEntries(to.root() / "tpcpfd"), Names{});
  // The folder removed with the project is made again by the next opening.
  EXPECT_EQ(project->OpenContainerPrintAndForget(container.c_str()), 0) << project->GetMessages();
  EXPECT_EQ(km_test::FolderEntries(folder).size(), resources.size() + 1);
}

TEST_F(ContainerOperations, RemovePrintAndForgetRefusesAndReports) {
  const fs::path container = Container("c.tpc");
  auto plain = Opener(to.stubPath());
  ASSERT_EQ(plain->OpenContainer(container.c_str()), 0) << plain->GetMessages();
  EXPECT_EQ(plain->RemovePrintAndForget(), kError);
  EXPECT_STREQ(plain->GetMessages(),
               "ERROR: Removal only a valid operation for archives extracted as "
               "'Print-and-Forget'\nERROR: Print-and-Forget path not specified in SETPPATH");
  EXPECT_EQ(FilesBelow(to.root() / "scopes"), kPlaced);

  const fs::path folder = to.PrintAndForgetFolder();
  const struct {
    std::function<void(Project&)> spoil;
    std::string message;
    Names left;  // below the project's folder
  } cases[] = {
      // The loop stops at a shared resource; project file and folder stay.
      {[](Project& p) { p.GetElement(1)->SetScope(kScopeFolder); },
       "ERROR: Resource 'f.ps' was not at local scope, but should have been - removal "
       "operation halted",
       {"P.tpf", "f.ps", "g.ps"}},
      // A file that cannot be deleted (here a non-empty folder of its name, whatever the file
      // system) is reported; the later ones still go.
      {[&](Project&) {
         fs::remove(folder / "l.ps");
         km_test::WriteFile(folder / "l.ps" / "inside", "x");
       },
       "ERROR: The file '" + (folder / "l.ps").string() +
           "' could not be removed - removal operation halted",
       {"P.tpf", "l.ps/inside"}},
  };
  for (const auto& c : cases) {
    auto project = Opener(to.PrintAndForgetStub());
    ASSERT_EQ(project->OpenContainerPrintAndForget(container.c_str()), 0) << project->GetMessages();
    c.spoil(*project);
    EXPECT_EQ(project->RemovePrintAndForget(), kError);
    EXPECT_EQ(project->GetMessages(), c.message);
    EXPECT_EQ(FilesBelow(folder), c.left);
  }
}

TEST_F(ContainerOperations, MissingPathsLeaveTheProjectAlone) {
  const fs::path container = Container("c.tpc");
  auto project = Opener(to.PrintAndForgetStub());
  ASSERT_EQ(project->OpenContainer(container.c_str()), 0) << project->GetMessages();
  const std::string missing = (scratch / "missing").string();
  const std::function<int(Project&)> operations[] = {
      [&](Project& p) { return p.OpenContainer(missing.c_str()); },
      [&](Project& p) { return p.OpenContainerPrintAndForget(missing.c_str()); },
      [&](Project& p) { return p.OpenFolder(missing.c_str(), true, true); },
      [&](Project& p) { return p.OpenFolderPrintAndForget(missing.c_str(), false, false); },
      [&](Project& p) { return p.ValidateContainer(missing.c_str()); },
  };
  for (const auto& operation : operations) {
    project->ClearMessages();
    EXPECT_EQ(operation(*project), kError);
    EXPECT_EQ(project->GetMessages(), "ERROR: Could not open file '" + missing + "'");
    EXPECT_EQ(project->GetElementCount(), resources.size());
    EXPECT_STREQ(project->GetProjectName(), "P");
    EXPECT_EQ(project->GetProjectFilePath(), (to.ScopeFolder(kScopeLocal) / "P.tpf").string());
    EXPECT_FALSE(project->IsPrintAndForget());
  }
  ExpectPlaced(to);
}

// A container that cannot be opened fails with its first messages and leaves nothing behind.
TEST_F(ContainerOperations, BrokenContainersLeaveNothingBehind) {
  ASSERT_EQ(source->SaveProject(), 0) << source->GetMessages();
  const auto file = [&](std::size_t i) {
    return (from.ScopeFolder(resources[i].scope) / resources[i].name).string();
  };
  const std::string noTpfZip = (scratch / "notpf.zip.tpc").string();
  km_test::RunTool("zip", {"-q", "-j", noTpfZip, file(0)});
  const std::string gap = (scratch / "gap.tpc").string();  // l.ps is missing
  km_test::RunTool("zip", {"-q", "-j", gap, source->GetProjectFilePath(), file(1), file(2)});
  // A project file cut before its end tag names its project but does not load.
  const std::string whole = km_test::ReadFile(source->GetProjectFilePath());
  const fs::path cutFolder = scratch / "cut";
  fs::create_directories(cutFolder);
  km_test::WriteFile(cutFolder / "P.tpf", whole.substr(0, whole.rfind("</TPF>")));
  const std::string cut = (scratch / "cut.tpc").string();
  km_test::RunTool("zip",
                   {"-q", "-j", cut, (cutFolder / "P.tpf").string(), file(0), file(1), file(2)});

  const std::string noTpf = "ERROR: Could not find a file with .tpf extension in archive '";
  const struct {
    std::string container;
    Names firstLines;  // none: the message names the missing resource
  } cases[] = {
      {noTpfZip,
       {"ERROR (Minizip): No .tpf file found in archive " + noTpfZip, noTpf + noTpfZip + "'"}},
      {gap, {}},
      {cut, {"ERROR: Premature end of file (no </TPF> tag?)"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.container);
    auto project = Opener(to.stubPath());
    EXPECT_NE(project->OpenContainer(c.container.c_str()) & kError, 0);
    Names lines = km_test::Lines(project->GetMessages());
    if (c.firstLines.empty()) {
      EXPECT_NE(std::string(project->GetMessages()).find("l.ps"), std::string::npos)
          << project->GetMessages();
    } else {
      lines.resize(std::min(lines.size(), c.firstLines.size()));
      EXPECT_EQ(lines, c.firstLines);
    }
    EXPECT_EQ(FilesBelow(to.root() / "scopes"), Names{})
        << "a failed opening must not leave part of a project behind";
  }
}

// Validation loads the project and leaves no file; its entries then come out one at a time,
// each into the folder where it belongs.
TEST_F(ContainerOperations, ValidateThenExtractEntries) {
  const fs::path container = Container("c.tpc");
  auto project = Opener(to.stubPath());
  ASSERT_EQ(project->ValidateContainer(container.c_str()), 0) << project->GetMessages();
  EXPECT_TRUE(project->IsLoaded());
  EXPECT_STREQ(project->GetFolderName(), "F");
  EXPECT_STREQ(project->GetProjectName(), "P");
  ASSERT_EQ(project->GetElementCount(), resources.size());
  for (std::size_t i = 0; i < resources.size(); ++i) {
    EXPECT_EQ(project->GetElement(i)->GetName(), resources[i].name);
  }
  EXPECT_EQ(FilesBelow(to.root() / "scopes"), Names{});

  Names expected;  // the entries come in the order of kPlaced
  for (std::size_t k = 0; k < kPlaced.size(); ++k) {
    EXPECT_EQ(project->ExtractArchiveEntry(container.c_str(), k) & kError, 0)
        << k << ": " << project->GetMessages();
    expected.push_back(kPlaced[k]);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FilesBelow(to.root() / "scopes"), expected);
  }
  ExpectPlaced(to);
  EXPECT_NE(project->ExtractArchiveEntry(container.c_str(), kPlaced.size()) & kError, 0);
}

// Whether the project file itself is asked about is left open: it is rewritten from the
// container either way.
TEST_F(ContainerOperations, OverwriteAnswers) {
  const fs::path container = Container("c.tpc");
  const Names everyResource = {"l.ps", "f.ps", "g.ps"};
  const struct {
    int answer;  // -1: the default, restored by an empty callback
    Names askedResources;
    bool replaced;
  } cases[] = {{0, everyResource, false}, {1, everyResource, true}, {2, {}, true}, {-1, {}, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answer);
    // The project opened before, its resources changed since.
    fs::remove_all(to.root() / "scopes");
    km_test::WriteFile(to.ScopeFolder(kScopeLocal) / "P.tpf", source->ComposeProjectFile());
    for (const Resource& r : resources) km_test::WriteFile(to.ScopeFolder(r.scope) / r.name, "old");
    auto project = Opener(to.stubPath());
    Names asked;
    project->SetOverwriteCallback([&](Project& p, const std::string& path) {
      EXPECT_EQ(&p, project.get());
      asked.push_back(fs::path(path).filename().string());
      return c.answer < 0 ? 0 : c.answer;
    });
    if (c.answer < 0) project->SetOverwriteCallback({});
    EXPECT_EQ(project->OpenContainer(container.c_str()), 0) << project->GetMessages();
    if (c.answer == 2) {
      EXPECT_EQ(asked.size(), 1u) << "\"all\" must not be asked again";
    } else {
      std::erase_if(asked, [](const std::string& name) { return name.ends_with(".tpf"); });
      EXPECT_EQ(asked, c.askedResources) << "each existing resource is asked about once";
    }
    for (const Resource& r : resources) {
      EXPECT_EQ(Holds(to.ScopeFolder(r.scope) / r.name, r.bytes), c.replaced) << r.name;
    }
    EXPECT_EQ(FilesBelow(to.root() / "scopes"), kPlaced)
        << "a declined resource's extracted copy must not stay in the project's folder";
  }
}

TEST_F(ContainerOperations, OpenFolderCopiesOrMoves) {
  const fs::path container = Container("c.tpc", true);
  const auto extracted = [&](const char* name) {
    const fs::path folder = scratch / name;
    fs::create_directories(folder);
    km_test::RunTool("tar", {"-xf", container.string(), "-C", folder.string()});
    return folder;
  };
  const Names flat = {"P.tpf", "f.ps", "g.ps", "l.ps"};

  const fs::path copied = extracted("copied");
  auto project = Opener(to.PrintAndForgetStub());
  // The messages of an earlier, failed operation do not stop this one.
  EXPECT_EQ(project->OpenContainer((scratch / "none.tpc").c_str()), kError);
  EXPECT_EQ(project->OpenFolder(copied.c_str(), false, false), 0) << project->GetMessages();
  ExpectPlaced(to);
  EXPECT_EQ(km_test::FolderEntries(copied), flat);

  const fs::path moved = extracted("moved");
  auto paf = Opener(other.PrintAndForgetStub());
  EXPECT_EQ(paf->OpenFolderPrintAndForget(moved.c_str(), true, true), 0) << paf->GetMessages();
  EXPECT_FALSE(fs::exists(moved));
  EXPECT_TRUE(paf->IsPrintAndForget());
  EXPECT_EQ(FilesBelow(other.root() / "scopes"), Names{});
  EXPECT_EQ(km_test::FolderEntries(other.PrintAndForgetFolder()), flat);
  ASSERT_EQ(paf->GetElementCount(), resources.size());
  for (std::size_t i = 0; i < resources.size(); ++i) {
    const fs::path target = other.PrintAndForgetFolder() / resources[i].name;
    EXPECT_EQ(paf->GetElement(i)->GetLocalPath(), target.string());
    EXPECT_TRUE(Holds(target, resources[i].bytes)) << target;
  }

  // A missing resource stops before the later ones, and the folder is not removed.
  const fs::path gap = extracted("gap");
  fs::remove(gap / "f.ps");
  auto stopped = Opener(to.PrintAndForgetStub());
  EXPECT_EQ(stopped->OpenFolderPrintAndForget(gap.c_str(), true, true), kError);
  EXPECT_EQ(stopped->GetMessages(), "ERROR: Could not open file '" + (gap / "f.ps").string() + "'");
  EXPECT_EQ(km_test::FolderEntries(gap), Names{"g.ps"});
  EXPECT_FALSE(fs::exists(to.PrintAndForgetFolder() / "g.ps"));

  // Without a Print-and-Forget path in the stub file no folder is opened at all.
  const fs::path refused = extracted("refused");
  for (bool printAndForget : {false, true}) {
    auto refusing = Opener(to.stubPath());
    EXPECT_EQ(printAndForget ? refusing->OpenFolderPrintAndForget(refused.c_str(), true, true)
                             : refusing->OpenFolder(refused.c_str(), true, true),
              kError);
    EXPECT_EQ(refusing->GetMessages(), "ERROR: Print-and-Forget path not specified in SETPPATH"s);
  }
  EXPECT_EQ(km_test::FolderEntries(refused), flat);
  ExpectPlaced(to);

  // A resource named out of the folder is never fetched from there, not even by a move.
  const fs::path hostile = extracted("hostile");
  std::string text = km_test::ReadFile(hostile / "P.tpf");
  text.replace(text.find("'l.ps'"), 6, "'../outside.ps'");
  km_test::WriteFile(hostile / "P.tpf", text);
  const fs::path outside = scratch.File("outside.ps", "not the project's");
  auto fetching = Opener(other.PrintAndForgetStub());
  EXPECT_EQ(fetching->OpenFolderPrintAndForget(hostile.c_str(), true, true), kError);
  EXPECT_EQ(fetching->GetMessages(),
            "ERROR: Could not open file '" + (hostile / "../outside.ps").string() + "'");
  EXPECT_TRUE(Holds(outside, "not the project's"));
}

TEST_F(ContainerOperations, CreateFailuresLeaveNoContainer) {
  const fs::path plain = scratch.File("plain", "x");
  for (bool tar : {false, true}) {
    for (const fs::path& container : {scratch / "missing" / "c.tpc", plain / "c.tpc"}) {
      SCOPED_TRACE(container.string() + (tar ? " tar" : " zip"));
      source->SetArchiveFlag(tar);
      EXPECT_NE(source->CreateContainer(container.c_str()) & kError, 0);
      EXPECT_NE(std::string(source->GetMessages()).find(container.string()), std::string::npos)
          << "the message must name the container asked for: " << source->GetMessages();
    }
  }
  EXPECT_FALSE(fs::exists(scratch / "missing"));
  EXPECT_EQ(km_test::ReadFile(plain), "x");

  const fs::path gone = from.ScopeFolder(kScopeGlobal) / "g.ps";
  fs::remove(gone);
  const fs::path container = scratch / "c.tpc";
  EXPECT_EQ(source->CreateContainer(container.c_str()), kError);
  EXPECT_EQ(source->GetMessages(), "ERROR: Could not open file '" + gone.string() + "'");
  EXPECT_FALSE(fs::exists(container));
}

// A stop from the progress callback, or a cancel asked for before or during an operation, fails
// that operation (and only that one) and leaves no container and no extracted file.
TEST_F(ContainerOperations, ProgressStopsAndCancels) {
  std::vector<ArchiveStatus> seen;
  source->SetProgressCallback([&](Project& p, const ArchiveStatus& status) {
    EXPECT_EQ(&p, source.get());
    seen.push_back(status);
    return 0;
  });
  const fs::path container = Container("c.tpc");
  ASSERT_FALSE(seen.empty());
  std::uint64_t total = source->ComposeProjectFile().size();
  for (const Resource& r : resources) total += r.bytes.size();
  EXPECT_EQ(seen.back().filesDone, 4);
  EXPECT_EQ(seen.back().bytesDone, total);

  enum class Stop { kAnswer, kCancelDuring, kCancelBefore };
  int run = 0;
  for (bool tar : {false, true}) {
    for (Stop stop : {Stop::kAnswer, Stop::kCancelDuring, Stop::kCancelBefore}) {
      const fs::path stopped = scratch / ("stopped" + std::to_string(++run) + ".tpc");
      SCOPED_TRACE(stopped.filename().string() + (tar ? " tar" : " zip"));
      source->SetArchiveFlag(tar);
      source->SetProgressCallback([stop](Project& p, const ArchiveStatus& status) {
        if (status.filesDone < 2) return 0;
        if (stop == Stop::kCancelDuring) p.CancelArchive();
        return stop == Stop::kAnswer ? 1 : 0;
      });
      if (stop == Stop::kCancelBefore) source->CancelArchive();
      EXPECT_NE(source->CreateContainer(stopped.c_str()) & kError, 0)
          << "a cancel asked for before the operation started must stop it";
      EXPECT_TRUE(MentionsCancel(source->GetMessages())) << source->GetMessages();
      EXPECT_FALSE(fs::exists(stopped)) << "a stopped container must not be left behind";
    }
  }
  source->SetProgressCallback({});
  EXPECT_EQ(source->CreateContainer((scratch / "after.tpc").c_str()), 0) << source->GetMessages();

  auto project = Opener(to.stubPath());
  project->SetProgressCallback(
      [](Project&, const ArchiveStatus& status) { return status.currentFile == "g.ps" ? 1 : 0; });
  EXPECT_NE(project->OpenContainer(container.c_str()) & kError, 0);
  EXPECT_TRUE(MentionsCancel(project->GetMessages())) << project->GetMessages();
  EXPECT_EQ(FilesBelow(to.root() / "scopes"), Names{})
      << "a stopped opening must not leave part of a project behind";
}

// Archive work runs in the current folder: the process lock keeps simultaneous operations of
// different projects apart.
TEST_F(ContainerOperations, ProjectsWorkInThreadsAtOnce) {
  const fs::path container = Container("c.tpc");
  auto first = Opener(to.stubPath());
  auto second = Opener(other.stubPath());
  const fs::path made = scratch / "made.tpc";
  int results[3] = {-1, -1, -1};
  {
    std::jthread a([&] { results[0] = first->OpenContainer(container.c_str()); });
    std::jthread b([&] { results[1] = second->OpenContainer(container.c_str()); });
    std::jthread c([&] { results[2] = source->CreateContainer(made.c_str()); });
  }
  EXPECT_EQ(results[0], 0) << first->GetMessages();
  EXPECT_EQ(results[1], 0) << second->GetMessages();
  EXPECT_EQ(results[2], 0) << source->GetMessages();
  ExpectPlaced(to);
  ExpectPlaced(other);
  EXPECT_EQ(EntryNames(made, false), (Names{"P.tpf", "l.ps", "f.ps", "g.ps"}));
}

// Volumes lie beside the container path, named from its base name; end to end they are one tar
// archive.
TEST_F(ContainerOperations, TarVolumesNamedFromTheContainer) {
  const fs::path folder = scratch / "volumes";
  fs::create_directories(folder);
  Names asked;
  source->SetQueryCallback([&](Project& p, const std::string& volume, const std::string& in) {
    EXPECT_EQ(&p, source.get());
    EXPECT_EQ(in, folder.string());
    asked.push_back(volume);
    return 0;
  });
  source->SetArchiveFlag(true);
  source->GetArchiveEngine().SetVolumeSize(1);
  const fs::path container = folder / "c.tpc";
  ASSERT_EQ(source->CreateContainer(container.c_str()), 0) << source->GetMessages();
  EXPECT_EQ(source->GetArchiveName(), container.string());

  // The writer asks before each volume after the first.
  const Names volumes = km_test::FolderEntries(folder);
  ASSERT_GE(volumes.size(), 2u);
  EXPECT_TRUE(volumes[0].starts_with("c_000001_")) << volumes[0];
  EXPECT_EQ(asked, Names(volumes.begin() + 1, volumes.end()));

  // Any volume opens the whole container; one volume missing is named.
  auto project = Opener(to.stubPath());
  EXPECT_EQ(project->OpenContainer((folder / volumes.back()).c_str()), 0) << project->GetMessages();
  ExpectPlaced(to);
  fs::remove(folder / volumes[1]);
  EXPECT_NE(project->OpenContainer((folder / volumes[0]).c_str()) & kError, 0);
  EXPECT_NE(std::string(project->GetMessages()).find((folder / volumes[1]).string()),
            std::string::npos)
      << project->GetMessages();
}

}  // namespace
}  // namespace tpsdk
