#include <gmock/gmock.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "frame/lock_file.h"
#include "generator_fixture.h"

namespace trm_test {
namespace {

using ::testing::HasSubstr;

class FrameTest : public GeneratorTest {
 protected:
  FrameTest() { startGenerator_ = false; }
};

TEST_F(FrameTest, LifecycleCodesAndMessages) {
  const Fos fos = NewFos();
  const Vos vos = NewVos(Output());
  EXPECT_EQ(trmListPrinterFiles(fos.get(), vos.get()), TRM_NOT_INITIALIZED);
  EXPECT_EQ(trmGetLastMessage(), nullptr);
  EXPECT_EQ(trmFinished(), TRM_ALREADY_TERMINATED);

  ASSERT_EQ(trmInitialize(), TRM_OK);
  EXPECT_STREQ(trmGetLastMessage(), "Task completes successfully.");
  EXPECT_EQ(trmInitialize(), TRM_ALREADY_INITIALIZED);
  EXPECT_STREQ(trmGetLastMessage(), "[trmInitialize] TRMSDK library is already initialized.");
  EXPECT_STREQ(trmGetLastDetail(), "");
  EXPECT_STREQ(trmGetVersion(), "TRMSDK 1.9.3");

  EXPECT_EQ(trmFinished(), TRM_OK);
  EXPECT_EQ(trmFinished(), TRM_ALREADY_TERMINATED);
  EXPECT_EQ(trmCreateFileRemover(fos.get(), vos.get()), TRM_NOT_INITIALIZED);
  EXPECT_FALSE(fs::exists(Output()));
  // The library can start again after it ended.
  EXPECT_EQ(trmInitialize(), TRM_OK);
}

TEST_F(FrameTest, RecordSettersRefuseAndNormalise) {
  trmPPS* pps = trmNewPPS();
  EXPECT_EQ(trmPPSGetMode(pps), 2001);
  EXPECT_EQ(trmPPSSetMode(pps, 2004), 0);
  EXPECT_EQ(trmPPSSetMode(pps, 2003), 1);
  EXPECT_EQ(trmPPSGetMode(pps), 2003);
  EXPECT_EQ(trmPPSSetProject(pps, "f", nullptr), 0);
  EXPECT_EQ(trmPPSGetFolderName(pps), nullptr);
  EXPECT_EQ(trmPPSSetKORAPath(pps, "/opt//kora"), 1);
  EXPECT_STREQ(trmPPSGetKORAPath(pps), "/opt/kora/");
  EXPECT_EQ(trmPPSSetKORAPath(pps, ""), 1);
  EXPECT_STREQ(trmPPSGetKORAPath(pps), "");
  EXPECT_EQ(trmPPSSetStubPath(pps, nullptr), 0);
  EXPECT_EQ(trmPPSGetStubPath(pps), nullptr);

  EXPECT_EQ(trmPPSSetPageRange(pps, 1, 5, 3), 0);
  EXPECT_EQ(trmPPSGetPageRangeMode(pps), 2);
  EXPECT_EQ(trmPPSGetFirstPage(pps), 1);
  EXPECT_EQ(trmPPSGetLastPage(pps), 65535);
  EXPECT_EQ(trmPPSSetPageRange(pps, 3, 1, 2), 0);
  EXPECT_EQ(trmPPSSetPageRange(pps, 0, 2, 2), 1);
  EXPECT_EQ(trmPPSGetFirstPage(pps), 2);

  EXPECT_EQ(trmPPSAddResource(pps, "*.frm"), 1);
  EXPECT_EQ(trmPPSAddResource(pps, "LOGO.FRM"), 0);
  EXPECT_EQ(trmPPSAddResource(pps, "logo.jpg"), 1);
  EXPECT_EQ(trmPPSAddResource(pps, "*.jpg"), 1);
  EXPECT_EQ(trmPPSGetResourceCount(pps), 3);
  trmAddFlags(pps, 0x10);
  trmAddFlags(pps, 0x4000);
  EXPECT_EQ(trmGetFlags(pps), 0x4010u);
  trmFreePPS(pps);

  trmIOS* ios = trmNewIOS();
  EXPECT_EQ(trmIOSSetLocalKORADir(ios, "/k"), 1);
  EXPECT_STREQ(trmIOSGetLocalKORADir(ios), "/k/");
  trmIOSSetFlags(ios, 0x4);
  trmIOSAddFlags(ios, 0x8);
  EXPECT_EQ(trmIOSGetFlags(ios), 0xCu);
  trmFreeIOS(ios);
}

TEST_F(FrameTest, FileRecordListsStayParallel) {
  WriteFile(Path("res/formlib/logo.frm"), "form");
  WriteFile(Path("res/data.bin"), "data");
  std::string logo = Path("res/formlib/logo.frm").string();
  std::string data = Path("res/data.bin").string();
  const Fos owner = NewFos();
  trmFOS* fos = owner.get();
  for (const char* refused : {"", "res/missing", "res"}) {
    EXPECT_EQ(trmFOSAddLoadFile(fos, *refused ? Path(refused).c_str() : "", "x"), 0) << refused;
  }
  EXPECT_EQ(trmFOSAddLoadFile(fos, nullptr, "x"), 0);
  EXPECT_EQ(trmFOSAddLoadFile(fos, logo.c_str(), nullptr), 1);
  EXPECT_EQ(trmFOSAddLoadFile(fos, data.c_str(), "mtbc/mislib/first"), 1);
  EXPECT_EQ(trmFOSGetLoadFileCount(fos), 2);
  EXPECT_STREQ(trmFOSGetPrinterFile(fos, 0), "mtbc/formlib/logo.frm");
  EXPECT_STREQ(trmFOSGetPrinterFile(fos, 1), "mtbc/mislib/first");
  EXPECT_EQ(trmFOSGetPrinterFile(fos, 2), nullptr);
  EXPECT_EQ(trmFOSAddRemoveFile(fos, nullptr), 0);
  EXPECT_EQ(trmFOSAddFont(fos, Path("res/none.pfa").c_str()), 0);
  EXPECT_EQ(trmFOSAddFont(fos, logo.c_str()), 1);
  EXPECT_EQ(trmFOSAddFont(fos, logo.c_str()), 1);
}

TEST_F(FrameTest, DebugLogOnlyWhenItsFileExists) {
  ASSERT_EQ(trmInitialize(), TRM_OK);
  const Fos fos = NewFos();
  const Vos vos = NewVos();
  EXPECT_EQ(trmListPrinterFiles(fos.get(), vos.get()), TRM_INVALID_PARAMETER);
  EXPECT_FALSE(fs::exists(Path("work/trmdebug.log")));
  trmFinished();

  WriteFile(Path("work/trmdebug.log"), "");
  ASSERT_EQ(trmInitialize(), TRM_OK);
  EXPECT_EQ(trmListPrinterFiles(fos.get(), vos.get()), TRM_INVALID_PARAMETER);
  trmVOSSetOutputPath(vos.get(), Output().c_str());
  EXPECT_EQ(trmListPrinterFiles(fos.get(), vos.get()), TRM_OK);
  trmFinished();
  std::string log = ReadFile(Path("work/trmdebug.log"));
  for (const std::string& line : std::vector<std::string>{
           ": Task completes successfully.\r\n", ": " + std::string(trmGetVersion()) + "\r\n",
           ": [trmListPrinterFiles] Invalid parameter. [trmVOS.outputPath]\r\n",
           ": [trmListPrinterFiles] START\r\n",
           ": [trmListPrinterFiles] Task completes successfully. [" + Output() + "]\r\n",
           ": [trmFinished] START\r\n"}) {
    EXPECT_THAT(log, HasSubstr(line));
  }
  // Its lock is gone once the line is written.
  EXPECT_TRUE(fs::is_empty(Path("tmp")));

  // Above 1 MiB nothing more is appended.
  WriteFile(Path("work/trmdebug.log"), std::string(0x100001, 'x'));
  ASSERT_EQ(trmInitialize(), TRM_OK);
  EXPECT_EQ(trmListPrinterFiles(fos.get(), vos.get()), TRM_OUTPUT_EXISTS);
  trmFinished();
  EXPECT_EQ(fs::file_size(Path("work/trmdebug.log")), 0x100001u);
}

TEST_F(FrameTest, LockFileNames) {
  // 64-bit FNV-1a of the whole path ("a" is the algorithm's published example).
  EXPECT_EQ(trm::LockFilePath("a", "/tmp"), "/tmp/af63dc4c8601ec8c.trm.sem");
  EXPECT_EQ(trm::LockFilePath("/srv/jobs/a.ps", "/tmp/"),
            trm::LockFilePath("/srv/jobs/a.ps", "/tmp"));
  // Paths of any length that differ anywhere get names of one short length.
  const std::string first = trm::LockFilePath("/a/" + std::string(400, 't'), "/tmp");
  EXPECT_NE(first, trm::LockFilePath("/b/" + std::string(400, 't'), "/tmp"));
  EXPECT_EQ(first.size(), std::string("/tmp/af63dc4c8601ec8c.trm.sem").size());
}

TEST_F(FrameTest, LoadFilesAreOneOnlyWhenTheSameFile) {
  struct Case {
    const char* first;
    const char* second;
    bool sameFile;  // the second is a hard link to the first
    int records;
  };
  const Case cases[] = {
      {"Logo.frm", "logo.frm", false, 2},  // letter case makes another file here
      {"a?.frm", "ab.frm", false, 2},      // wildcard characters are ordinary characters
      {"x.frm", "y.frm", true, 1},         // two names of one file on disk
  };
  for (const Case& one : cases) {
    const fs::path folder = Path(std::string("res/") + one.second);
    const std::string first = (folder / one.first).string();
    const std::string second = (folder / one.second).string();
    WriteFile(first, "first");
    if (one.sameFile) {
      fs::create_hard_link(first, second);
    } else {
      WriteFile(second, "second");
    }
    const Fos owner = NewFos();
    trmFOS* fos = owner.get();
    EXPECT_EQ(trmFOSAddLoadFile(fos, first.c_str(), "mtbc/mislib/1"), 1);
    EXPECT_EQ(trmFOSAddLoadFile(fos, second.c_str(), "mtbc/mislib/2"), 1);
    ASSERT_EQ(trmFOSGetLoadFileCount(fos), one.records) << one.second;
    EXPECT_STREQ(trmFOSGetLoadFile(fos, 0), first.c_str());
    // Each printer name stays with the bytes of its own file.
    EXPECT_STREQ(trmFOSGetPrinterFile(fos, 0), one.sameFile ? "mtbc/mislib/2" : "mtbc/mislib/1");
    if (!one.sameFile) {
      EXPECT_STREQ(trmFOSGetLoadFile(fos, 1), second.c_str());
    }
  }
}

TEST_F(FrameTest, RemoveEntriesCoveredExactlyAsByTheNameRule) {
  // Accepted or refused in turn, as the wildcard cover rule decides against earlier entries.
  const std::pair<const char*, int> entries[] = {
      {"Logo.frm", 1}, {"LOGO.FRM", 0}, {"b?.dbf", 1}, {"B1.DBF", 0},    {"[ab]x", 1},
      {"Ax", 0},       {"c\\d", 1},     {"C\\D", 0},   {"logo.frm*", 1}, {"logo.frmX", 0},
      {"*.jpg", 1},    {"a.JPG", 0},    {"A*.JPG", 0}, {"*", 1},         {"zzz", 0},
  };
  const Fos fos = NewFos();
  for (const auto& [name, accepted] : entries) {
    EXPECT_EQ(trmFOSAddRemoveFile(fos.get(), name), accepted) << name;
  }
}

TEST_F(FrameTest, StaleLockIsTakenOverLiveLockGives1004) {
  ASSERT_EQ(trmInitialize(), TRM_OK);
  std::string lockPath = trm::LockFilePath(Output(), Path("tmp").string());
  const Fos owner = NewFos();
  const Vos vosOwner = NewVos(Output(), TRM_FLAG_REPLACE);
  trmFOS* fos = owner.get();
  trmVOS* vos = vosOwner.get();

  // A crashed writer: its process is gone.
  pid_t child = fork();
  if (child == 0) _exit(0);
  waitpid(child, nullptr, 0);
  WriteFile(lockPath, std::to_string(child) + "\n");
  EXPECT_EQ(trmListPrinterFiles(fos, vos), TRM_OK);
  EXPECT_FALSE(fs::exists(lockPath));

  // A running writer holds it: sectioned jobs report 1004, jobs built in memory 1005.
  WriteFile(lockPath, std::to_string(getppid()) + "\n");
  WriteFile(Path("fonts/a.pfa"), "/FontName /A def\n");
  trmFOSAddFont(fos, Path("fonts/a.pfa").c_str());
  EXPECT_EQ(trmCreatePSFontLoader(fos, vos), TRM_ACCESS_PROBLEM);
  EXPECT_STREQ(trmGetLastDetail(), Output().c_str());
  EXPECT_EQ(trmListPrinterFiles(fos, vos), TRM_WRITE_PROBLEM);
  EXPECT_TRUE(fs::exists(lockPath));

  // A lock file left empty by a writer that died before recording itself is stale once old.
  WriteFile(lockPath, "");
  fs::last_write_time(lockPath, fs::file_time_type::clock::now() - std::chrono::minutes(1));
  EXPECT_EQ(trmListPrinterFiles(fos, vos), TRM_OK);
}

}  // namespace
}  // namespace trm_test
