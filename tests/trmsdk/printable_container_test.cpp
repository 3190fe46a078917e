// The printable container: which file it prints, the interpreter it brings (built-in or a local
// installation), the resources it defines, and every failure with nothing left behind.

#include <gmock/gmock.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "encoding/ascii85.h"
#include "encoding/hex.h"
#include "frame/job_file.h"
#include "generator_fixture.h"
#include "interpreter/builtin_image.h"
#include "interpreter/interpreter_texts.h"

namespace trm_test {
namespace {

using ::testing::ContainsRegex;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;
using trm::FindBuiltinImageFile;
using trm::kLumenModule;
using Resource = km_test::ProjectResource;

// A local submission file printed in this order.
Resource Submission(const char* name, int order, std::string bytes = "%!PS\nshowpage\n") {
  return {name, "sub", 0, std::move(bytes),
          [order](tpsdk::ProjectElement& e) { e.SetSubmissionOrder(order); }};
}

// The built-in image's file of this name in the source folder.
std::string Builtin(std::string_view name) {
  const trm::ImageFile* file = FindBuiltinImageFile("mtb/src/" + std::string(name));
  return file ? std::string(file->bytes) : "missing " + std::string(name);
}

constexpr std::uint32_t kBuiltin = TRM_PPS_EMBED_KORA | TRM_PPS_USE_STUB;

class ContainerTest : public ProjectGeneratorTest {
 protected:
  void SetUp() override {
    ProjectGeneratorTest::SetUp();
    pps_ = NewPps();
    pps_->KORAPath.reset();
    trmPPSSetStubPath(pps_.get(), tree().stubPath().c_str());
    trmPPSSetMode(pps_.get(), TRM_MODE_PROJECT_FILE);
    trmPPSSetProjectFile(pps_.get(), ProjectFile().c_str());
    vos_ = NewVos();
  }
  int Run(std::uint32_t flags) {
    trmSetFlags(pps_.get(), flags);
    return trmCreatePrintableContainer(pps_.get(), vos_.get());
  }
  std::string Job() const { return ReadFile(Output()); }

  Pps pps_{nullptr, &trmFreePPS};
  Vos vos_{nullptr, &trmFreeVOS};
};

TEST_F(ContainerTest, JobTextFollowsItsFlags) {
  const std::string page = "%!PS\nshowpage\n";
  const std::string binary = "caf\xE9 text";
  const std::string image = km_test::RandomBytes(50000, 7);
  const std::string large = km_test::RandomBytes(25u << 20, 5);
  WriteProject({Submission("one.ps", 1, "first"),
                Submission("page.ps", 2, page),
                Submission("three.ps", 3, "third"),
                Submission("large.ps", 4, large),
                {"win1252", "enc", 0, "project encoding"},
                {"logo.frm", "frm", 0, "form"},
                {"t.jdt", "jdt", 0, "jdt"},
                {"plain.seg", "seg", 0, "seg"},
                {"doc.seg", "seg", 0, "%PDF-1.4",
                 [](tpsdk::ProjectElement& e) { e.SetAttribute("Structure", "PDF"); }},
                {"pic.jpg", "img", 0, image},
                {"d.dat", "dat", 0, "rows"},
                {"note.mis", "mis", 0, "text"},
                {"accent.mis", "mis", 0, binary},
                {"other.oth", "oth", 0, "left out"}});
  const std::string external = Path("ext.ps").string();
  WriteFile(external, "external");
  trmPPSSetPageRange(pps_.get(), 0, 3, 7);
  std::vector<std::string> builtin{"%%Title: " + Local(0, "page.ps") + "\n",
                                   "%%EndComments\n\n\nuserdict /KORAOSAVE save put clear\n",
                                   Builtin("mtb.eeh"),
                                   Builtin("kora.vsm"),
                                   std::string(trm::ErrorHandlerText()),
                                   "/KeepVMF true ] SETPARAMS\n\nMTB\n",
                                   "\n(courier) {\n",
                                   "\n} MTBRESDEF\n",
                                   "MTBdict begin\n" + trm::PathSettingsText() +
                                       "(mtb/mtbspool) SPOOLNAME\t% MTB spoolfile full name\n\n"};
  for (const auto& module : trm::BuiltinModules()) builtin.push_back(Builtin(module.file));
  builtin.push_back("end     % mandatory (remove MTBdict from dict stack)\n\nRSAVE\n" + page);
  // The image may come without the Lumen Imaging module; then there is nothing to add.
  const bool lumen = FindBuiltinImageFile("mtb/src/" + std::string(kLumenModule.file));
  const std::string trailer = "\n[/KeepVMF false] SETPARAMS\nMTBEND\n%%EOF\n\nclear MTB end end";
  const struct {
    std::uint32_t flags;
    std::string submission;
    std::vector<std::string> inOrder;  // the whole job when it is a plain copy
    std::string end;
    std::vector<std::string> absent = {};
  } rows[] = {
      {0, "", {page}, page},  // the second of several in submission order
      {TRM_PPS_EXTERNAL_SUBMISSION, external, {"external"}, "external"},
      {TRM_PPS_PAGE_RANGE, "", {"\n[/PageRange 0] SETPARAMS\n3 7 PAGERANGE\n\nRSAVE\n" + page}, ""},
      {TRM_PPS_PAGE_RANGE, "three.ps", {"RSAVE\nthird\n[/KeepVMF false]"}, ""},
      {kBuiltin | TRM_PPS_ERROR_HANDLER,
       "",
       builtin,
       trailer + " KORAOSAVE restore\n%%EOF",
       // The project brings its own encoding; metrics are none.
       {"startjob", "(win1252) {", "(genericsr.afk)", "/MTB where", Builtin(kLumenModule.file)}},
      {kBuiltin | TRM_PPS_RESIDENT | TRM_PPS_LUMEN,
       "",
       {"%%EndComments\n\n\ntrue () startjob pop\n",
        Builtin("mtb.eeh") + "\ntrue () startjob pop\n",
        Builtin("kora.vsm") + "\ntrue () startjob pop\n",
        lumen ? Builtin(kLumenModule.file) : "MTBdict begin",
        "end     % mandatory (remove MTBdict from dict stack)\n\nfalse () startjob pop\n\nRSAVE\n"},
       trailer + "\n%%EOF",
       {"KORAOSAVE"}},
      {TRM_PPS_INCLUDE_RESOURCES,
       "",
       {"\n/MTB where {pop} {(Sys/Start) run} ifelse\n\nuserdict /KORAOSAVE save put clear\n",
        "\nMTB\n%%Start including resources (if any)\n\n/FSHOW /FCACHE ld\n",
        "(logo.frm)\nform\nFBIND MTBRESDEF\n", "(t.jdt) {\njdt\n} MTBRESDEF\n",
        "(plain.seg) {\nseg\n} MTBRESDEF\n",
        "(doc.seg)\nMAKEVMFILE\n%PDF-1.4\n%%EOD_MTB MTBRESDEF\n",
        "(pic.jpg) [\n" + trm::EncodeAscii85(AsBytes(image), 49152, 0) + "\n] MTBRESDEF\n",
        "(d.dat) MAKEVMFILE\nrows\n%%EOD_MTB MTBRESDEF\n",
        "(note.mis)\nMAKEVMFILE\ntext\n%%EOD_MTB MTBRESDEF\n",
        "(accent.mis)\ncurrentfile /ASCII85Decode filter\nMAKEVMFILE\n" +
            trm::EncodeAscii85(AsBytes(binary), 0, 49152) + "\nMTBRESDEF\n",
        "\n%% End including resources\n\n\nRSAVE\n"},
       "",
       {"other.oth"}},
      {TRM_PPS_INCLUDE_RESOURCES | TRM_FLAG_HEX,
       "",
       {"(pic.jpg) [\n" + trm::EncodeHex(AsBytes(image), 49152, 0) + "\n] ",
        "(accent.mis)\ncurrentfile /ASCIIHexDecode filter\nMAKEVMFILE\n" +
            trm::EncodeHex(AsBytes(binary), 0, 49152) + "\n> MTBRESDEF\n"},
       ""},
      {TRM_PPS_INCLUDE_RESOURCES | TRM_PPS_DEPLOY_RESOURCES,
       "",
       {"%%KORA_DEPLOY_JOB_RESOURCES \"true\"\n", "\nuserdict /KORAOSAVE save put clear\n",
        " (mtbc/F/P/logo.frm) ", " load_file\n", "clear KORAOSAVE restore\n", "RSAVE"},
       "",
       {"MTBRESDEF"}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(::testing::Message() << std::hex << row.flags << " " << row.submission);
    trmPPSSetSubmissionFile(pps_.get(), row.submission.c_str());
    ASSERT_EQ(Run(row.flags), TRM_OK) << trmGetLastMessage();
    const std::string job = Job();
    if (row.flags == 0 || row.flags == TRM_PPS_EXTERNAL_SUBMISSION) {
      EXPECT_EQ(job, row.inOrder[0]);
    } else {
      EXPECT_TRUE(InOrder(job, row.inOrder));
    }
    EXPECT_THAT(job, EndsWith(row.end));
    for (const std::string& absent : row.absent) EXPECT_THAT(job, Not(HasSubstr(absent)));
  }
  ASSERT_EQ(Run(kBuiltin), TRM_OK);
  EXPECT_THAT(Job(), ContainsRegex("\\[ /DefinedDate \\[[0-9]{4}( [0-9]{2}){5} [01]\\] /KeepVMF"));

  // A 25 MiB file passes in three chunks, every byte in place.
  trmPPSSetSubmissionFile(pps_.get(), "large.ps");
  ASSERT_EQ(Run(TRM_PPS_PAGE_RANGE), TRM_OK);
  const std::string job = Job();
  const std::size_t start = job.find("\nRSAVE\n") + 7;
  EXPECT_EQ(job.compare(start, large.size(), large), 0);
  EXPECT_EQ(job.substr(start + large.size(), 15), "\n[/KeepVMF fals");
}

TEST_F(ContainerTest, LocalInstallationFollowsItsRunFile) {
  WriteProject({Submission("page.ps", 1)});
  const fs::path kora = Path("kora");
  const auto File = [&](const std::string& name, std::string_view text) {
    WriteFile(kora / name, text);
    return (kora / name).string();
  };
  const auto RunFile = [&](const std::string& commands) {
    File("src/mtbdos.run",
         km_test::RunFileText({tree().scopePath(0), tree().scopePath(1), tree().scopePath(2)}) +
             commands);
  };
  const std::string eeh = File("src/mtb.eeh", "%prolog\ncurrentfile eexec\n");
  const std::string vsm = File("src/kora.vsm", "%services, plain\n");
  const std::string secret = File("src/a.mod", "%a\ncurrentfile eexec 00\n");
  const std::string plain = File("src/b.mod", "%b\n");
  File("encoding/latin", "latin text");
  File("encoding/x.afk", "metrics");
  File("encoding/sub/deep", "not listed");
  RunFile("[(" + eeh + ") (" + secret + ")] run\n(" + plain + ") run\n(" + vsm +
          ") run % services\n");
  trmPPSSetKORAPath(pps_.get(), kora.c_str());
  ASSERT_EQ(Run(TRM_PPS_EMBED_KORA | TRM_PPS_RESIDENT), TRM_OK) << trmGetLastMessage();
  const std::string job = Job();
  EXPECT_TRUE(
      InOrder(job, {"%prolog\ncurrentfile eexec\n\ntrue () startjob pop\n%services, plain\n",
                    "\n(latin) {\nlatin text\n} MTBRESDEF\n", "SPOOLNAME",
                    "%a\ncurrentfile eexec 00\n\ntrue () startjob pop\n\n%b\n\n\nend     %"}));
  EXPECT_THAT(job, Not(HasSubstr("metrics")));
  EXPECT_THAT(job, Not(HasSubstr("not listed")));

  const struct {
    std::string runFile;
    int code;
    std::string detail;
  } failures[] = {
      {"(x) pop\n", TRM_PARSE_PROBLEM, (kora / "src/mtbdos.run").string()},
      {"(" + plain + ") run\n", TRM_SOURCE_MISSING, "mtb.eeh"},
      {"(" + eeh + ") run (" + (kora / "gone.mod").string() + ") run\n", TRM_SOURCE_MISSING,
       (kora / "gone.mod").string()},
  };
  for (const auto& f : failures) {
    fs::remove(Output());
    RunFile(f.runFile);
    EXPECT_EQ(Run(TRM_PPS_EMBED_KORA), f.code) << f.runFile;
    EXPECT_EQ(trmGetLastDetail(), f.detail);
    EXPECT_TRUE(NothingWritten());
  }
}

TEST_F(ContainerTest, FailuresLeaveNoOutput) {
  WriteProject({Submission("page.ps", 1),
                {"pic.jpg", "img", 0, "jpeg"},
                {"gone.frm", "frm", 0, "x"},
                {"empty.dat", "dat", 0, "x"},
                {"dir.jdt", "jdt", 0, "x"}});
  const std::string missing = Local(0, "gone.frm");
  const std::string empty = Local(0, "empty.dat");
  const std::string folder = Local(0, "dir.jdt");
  const std::string blocked = Path("blocked/job.ps").string();
  WriteFile(Path("blocked"), "");
  const auto Break = [&] {
    fs::remove(missing);
    WriteFile(empty, "");
    fs::remove(folder);
    fs::create_directory(folder);
  };
  const struct {
    std::string submission;
    std::uint32_t flags;
    int code;
    std::string detail;
    std::function<void()> setUp = {};
  } rows[] = {
      {"pic.jpg", kBuiltin, TRM_PRINT_FILE_MISSING, "pic.jpg", Break},
      {"nothing.ps", kBuiltin, TRM_PRINT_FILE_MISSING, "nothing.ps"},
      {"/no/such.ps", TRM_PPS_EXTERNAL_SUBMISSION, TRM_PRINT_FILE_MISSING, "/no/such.ps"},
      {folder, TRM_PPS_EXTERNAL_SUBMISSION | kBuiltin, TRM_SOURCE_UNREADABLE,
       folder + ": is a folder"},
      {"", TRM_PPS_INCLUDE_RESOURCES, TRM_SOURCE_MISSING, missing},
      {"", TRM_PPS_INCLUDE_RESOURCES, TRM_SOURCE_SIZE, empty, [&] { WriteFile(missing, "x"); }},
      {"", TRM_PPS_INCLUDE_RESOURCES, TRM_SOURCE_UNREADABLE, folder + ": is a folder",
       [&] { WriteFile(empty, "x"); }},
      {"", 0, TRM_WRITE_PROBLEM, blocked,
       [&] { trmVOSSetOutputPath(vos_.get(), blocked.c_str()); }},
  };
  for (const auto& row : rows) {
    if (row.setUp) row.setUp();
    trmPPSSetSubmissionFile(pps_.get(), row.submission.c_str());
    EXPECT_EQ(Run(row.flags), row.code) << row.detail;
    EXPECT_EQ(trmGetLastDetail(), row.detail);
    EXPECT_TRUE(NothingWritten());
  }
  // Nothing beside the blocking file where the job would have gone ("out" is empty).
  auto entries = km_test::FolderEntries(Path(""));
  std::sort(entries.begin(), entries.end());
  EXPECT_EQ(entries, (std::vector<std::string>{"blocked", "out", "tmp", "work"}));
}

TEST(JobWriterBuffer, HoldsALargerBufferUntilFlushed) {
  const km_test::ScratchFolder scratch("jobwriter");
  trm::JobWriter writer((scratch / "job.ps").string());
  ASSERT_TRUE(writer.Open());
  ASSERT_TRUE(writer.SetBufferSize(std::size_t{1} << 20));
  ASSERT_TRUE(writer.Write(std::string(900000, 'x')));
  const auto entries = km_test::FolderEntries(scratch.path());
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(fs::file_size(scratch / entries[0]),
            0u);  // nothing reached the file yet
  ASSERT_TRUE(writer.Flush());
  EXPECT_EQ(fs::file_size(scratch / entries[0]), 900000u);
}

}  // namespace
}  // namespace trm_test
