#include <gmock/gmock.h>
#include <sys/stat.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "encoding/ascii85.h"
#include "encoding/hex.h"
#include "frame/job_file.h"
#include "generator_fixture.h"
#include "interpreter/builtin_image.h"
#include "interpreter/interpreter_texts.h"
#include "project_helpers.h"
#include "random_bytes.h"

namespace trm_test {
namespace {

using ::testing::ContainsRegex;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;
using trm::BuiltinModules;
using trm::EncodeAscii85;
using trm::EncodeHex;
using trm::ErrorHandlerText;
using trm::FindBuiltinImageFile;
using trm::ImageFile;
using trm::InterpreterModule;
using trm::kLumenModule;
using trm::PathSettingsText;

std::span<const unsigned char> AsBytes(std::string_view text) {
  return {reinterpret_cast<const unsigned char*>(text.data()), text.size()};
}

// Each text found after the one before it.
void ExpectInOrder(const std::string& job, const std::vector<std::string>& parts) {
  std::size_t at = 0;
  for (const std::string& part : parts) {
    const std::size_t found = job.find(part, at);
    ASSERT_NE(found, std::string::npos) << "missing or out of order: " << part.substr(0, 60);
    at = found + part.size();
  }
}

class ContainerTest : public GeneratorTest {
 protected:
  void SetUp() override {
    GeneratorTest::SetUp();
    tree_.emplace("container");  // inside this test's temporary folder, made by now
    project_ = tpsdk::TpsdkCreateProject(tree_->stubPath().c_str());
    ASSERT_TRUE(project_);
    project_->SetFolderProjectNames("F", "P");
    trmPPSSetMode(pps_, TRM_MODE_PROJECT_FILE);
    trmPPSSetStubPath(pps_, tree_->stubPath().c_str());
    trmVOSSetOutputPath(vos_, Output().c_str());
    trmVOSSetFlags(vos_, TRM_FLAG_REPLACE);  // each test writes several containers
  }
  void TearDown() override {
    trmFreePPS(pps_);
    trmFreeVOS(vos_);
    GeneratorTest::TearDown();
  }

  // A local resource with these bytes; returns its local path.
  std::string Add(const char* name, const char* type, std::string_view bytes,
                  const std::function<void(tpsdk::ProjectElement&)>& setup = {}) {
    auto element = km_test::NewElement(*tree_, name, type);
    WriteFile(element->GetLocalPath(), bytes);
    if (setup) setup(*element);
    std::string path = element->GetLocalPath();
    EXPECT_EQ(project_->AddElement(element) & 8, 0) << project_->GetMessages();
    saved_ = false;
    return path;
  }
  std::string Submit(const char* name, int order, std::string_view bytes = "%!PS\nshowpage\n") {
    return Add(name, "sub", bytes, [&](tpsdk::ProjectElement& e) { e.SetSubmissionOrder(order); });
  }
  // Saves the project when it changed and writes the container with these flags.
  int Run(std::uint32_t flags) {
    if (!saved_) {
      EXPECT_EQ(project_->SaveProject() & 8, 0) << project_->GetMessages();
      saved_ = true;
    }
    trmPPSSetProjectFile(pps_, project_->GetProjectFilePath());
    trmSetFlags(pps_, flags);
    return trmCreatePrintableContainer(pps_, vos_);
  }
  std::string Job() const { return ReadFile(Output()); }
  // A run file with the tree's scope paths and these commands.
  std::string RunFile(const std::string& commands) const {
    return km_test::RunFileText({tree_->scopePath(0), tree_->scopePath(1), tree_->scopePath(2)}) +
           commands;
  }
  bool NothingWritten() const {
    return !fs::exists(Path("out")) || km_test::FolderEntries(Path("out")).empty();
  }

  std::optional<km_test::ProjectTree> tree_;
  std::unique_ptr<tpsdk::Project> project_;
  trmPPS* pps_ = trmNewPPS();
  trmVOS* vos_ = trmNewVOS();
  bool saved_ = false;
};

constexpr std::uint32_t kBuiltin = TRM_PPS_EMBED_KORA | TRM_PPS_USE_STUB;

TEST_F(ContainerTest, PlainCopyWritesOnlyTheSubmissionFile) {
  const std::string page = km_test::RandomBytes(70000, 3);
  Submit("a.ps", 1, page);
  const std::string external = Path("ext.ps").string();
  WriteFile(external, "external");
  ASSERT_EQ(Run(0), TRM_OK) << trmGetLastMessage();
  EXPECT_EQ(Job(), page);
  trmPPSSetSubmissionFile(pps_, external.c_str());
  ASSERT_EQ(Run(TRM_PPS_EXTERNAL_SUBMISSION), TRM_OK) << trmGetLastMessage();
  EXPECT_EQ(Job(), "external");
}

TEST_F(ContainerTest, BuiltinInterpreterInOrderAndResidentVariant) {
  const std::string page = Submit("page.ps", 1);
  Add("win1252", "enc", "project encoding");
  const auto Builtin = [](std::string_view name) {
    const ImageFile* file = FindBuiltinImageFile("mtb/src/" + std::string(name));
    return file ? std::string(file->bytes) : "missing " + std::string(name);
  };
  ASSERT_EQ(Run(kBuiltin | TRM_PPS_ERROR_HANDLER), TRM_OK) << trmGetLastMessage();
  std::string job = Job();
  std::vector<std::string> order{"%%Title: " + page + "\n",
                                 "%%EndComments\n\n\nuserdict /KORAOSAVE save put clear\n",
                                 Builtin("mtb.eeh"),
                                 Builtin("kora.vsm"),
                                 std::string(ErrorHandlerText()),
                                 "/KeepVMF true ] SETPARAMS\n\nMTB\n",
                                 "\n(courier) {\n",
                                 "\n} MTBRESDEF\n",
                                 "MTBdict begin\n" + PathSettingsText() +
                                     "(mtb/mtbspool) SPOOLNAME\t% MTB spoolfile full name\n\n"};
  for (const InterpreterModule& module : BuiltinModules()) order.push_back(Builtin(module.file));
  order.push_back("end     % mandatory (remove MTBdict from dict stack)\n\nRSAVE\n");
  order.push_back(
      "%!PS\nshowpage\n\n[/KeepVMF false] SETPARAMS\nMTBEND\n%%EOF\n\n"
      "clear MTB end end KORAOSAVE restore\n%%EOF");
  ExpectInOrder(job, order);
  EXPECT_THAT(job, EndsWith(order.back()));
  EXPECT_THAT(job, ContainsRegex("\\[ /DefinedDate \\[[0-9]{4}( [0-9]{2}){5} [01]\\] /KeepVMF"));
  EXPECT_THAT(job, Not(HasSubstr("startjob")));
  EXPECT_THAT(job, Not(HasSubstr("(win1252) {")));      // the project brings its own
  EXPECT_THAT(job, Not(HasSubstr("(genericsr.afk)")));  // metrics are not encodings
  EXPECT_THAT(job, Not(HasSubstr("/MTB where")));
  EXPECT_THAT(job, Not(HasSubstr(Builtin(kLumenModule.file))));

  ASSERT_EQ(Run(kBuiltin | TRM_PPS_RESIDENT | TRM_PPS_LUMEN), TRM_OK) << trmGetLastMessage();
  job = Job();
  // The image may come without the Lumen Imaging module; then there is nothing to add.
  const bool lumen = FindBuiltinImageFile("mtb/src/" + std::string(kLumenModule.file));
  ExpectInOrder(job, {"%%EndComments\n\n\ntrue () startjob pop\n",
                      Builtin("mtb.eeh") + "\ntrue () startjob pop\n",
                      Builtin("kora.vsm") + "\ntrue () startjob pop\n",
                      lumen ? Builtin(kLumenModule.file) : "MTBdict begin",
                      "end     % mandatory (remove MTBdict from dict stack)\n"
                      "\nfalse () startjob pop\n\nRSAVE\n"});
  EXPECT_THAT(job, EndsWith("MTBEND\n%%EOF\n\nclear MTB end end\n%%EOF"));
  EXPECT_THAT(job, Not(HasSubstr("KORAOSAVE")));
}

TEST_F(ContainerTest, LocalInstallationFollowsItsRunFile) {
  Submit("page.ps", 1);
  const fs::path kora = Path("kora");
  const auto File = [&](const std::string& name, std::string_view text) {
    WriteFile(kora / name, text);
    return (kora / name).string();
  };
  const std::string eeh = File("src/mtb.eeh", "%prolog\ncurrentfile eexec\n");
  const std::string vsm = File("src/kora.vsm", "%services, plain\n");
  const std::string secret = File("src/a.mod", "%a\ncurrentfile eexec 00\n");
  const std::string plain = File("src/b.mod", "%b\n");
  File("encoding/latin", "latin text");
  File("encoding/x.afk", "metrics");
  File("encoding/sub/deep", "not listed");
  File("src/mtbdos.run", RunFile("[(" + eeh + ") (" + secret + ")] run\n(" + plain + ") run\n(" +
                                 vsm + ") run % services\n"));
  trmPPSSetKORAPath(pps_, kora.c_str());
  ASSERT_EQ(Run(TRM_PPS_EMBED_KORA | TRM_PPS_RESIDENT), TRM_OK) << trmGetLastMessage();
  const std::string job = Job();
  ExpectInOrder(job, {"%prolog\ncurrentfile eexec\n\ntrue () startjob pop\n%services, plain\n",
                      "\n(latin) {\nlatin text\n} MTBRESDEF\n", "SPOOLNAME",
                      "%a\ncurrentfile eexec 00\n\ntrue () startjob pop\n\n%b\n\n\nend     %"});
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
    std::filesystem::remove(Output());
    File("src/mtbdos.run", RunFile(f.runFile));
    EXPECT_EQ(Run(TRM_PPS_EMBED_KORA), f.code) << f.runFile;
    EXPECT_STREQ(trmGetLastDetail(), f.detail.c_str());
    EXPECT_TRUE(NothingWritten());
  }
}

TEST_F(ContainerTest, IncludedResourcesAreDefinedByType) {
  Submit("page.ps", 1);
  const std::string binary = "caf\xE9 text";
  const std::string image = km_test::RandomBytes(50000, 7);
  Add("logo.frm", "frm", "form");
  Add("t.jdt", "jdt", "jdt");
  Add("plain.seg", "seg", "seg");
  Add("doc.seg", "seg", "%PDF-1.4",
      [](tpsdk::ProjectElement& e) { e.SetAttribute("Structure", "PDF"); });
  Add("pic.jpg", "img", image);
  Add("d.dat", "dat", "rows");
  Add("note.mis", "mis", "text");
  Add("accent.mis", "mis", binary);
  Add("other.oth", "oth", "left out");
  ASSERT_EQ(Run(TRM_PPS_INCLUDE_RESOURCES), TRM_OK) << trmGetLastMessage();
  std::string job = Job();
  ExpectInOrder(
      job, {"\n/MTB where {pop} {(Sys/Start) run} ifelse\n\nuserdict /KORAOSAVE save put clear\n",
            "\nMTB\n%%Start including resources (if any)\n\n/FSHOW /FCACHE ld\n",
            "(logo.frm)\nform\nFBIND MTBRESDEF\n", "(t.jdt) {\njdt\n} MTBRESDEF\n",
            "(plain.seg) {\nseg\n} MTBRESDEF\n",
            "(doc.seg)\nMAKEVMFILE\n%PDF-1.4\n%%EOD_MTB MTBRESDEF\n",
            "(pic.jpg) [\n" + EncodeAscii85(AsBytes(image), 49152, 0) + "\n] MTBRESDEF\n",
            "(d.dat) MAKEVMFILE\nrows\n%%EOD_MTB MTBRESDEF\n",
            "(note.mis)\nMAKEVMFILE\ntext\n%%EOD_MTB MTBRESDEF\n",
            "(accent.mis)\ncurrentfile /ASCII85Decode filter\nMAKEVMFILE\n" +
                EncodeAscii85(AsBytes(binary), 0, 49152) + "\nMTBRESDEF\n",
            "\n%% End including resources\n\n\nRSAVE\n"});
  EXPECT_THAT(job, Not(HasSubstr("other.oth")));

  ASSERT_EQ(Run(TRM_PPS_INCLUDE_RESOURCES | TRM_FLAG_HEX), TRM_OK) << trmGetLastMessage();
  job = Job();
  EXPECT_THAT(job, HasSubstr("(pic.jpg) [\n" + EncodeHex(AsBytes(image), 49152, 0) + "\n] "));
  EXPECT_THAT(job, HasSubstr("(accent.mis)\ncurrentfile /ASCIIHexDecode filter\nMAKEVMFILE\n" +
                             EncodeHex(AsBytes(binary), 0, 49152) + "\n> MTBRESDEF\n"));

  ASSERT_EQ(Run(TRM_PPS_INCLUDE_RESOURCES | TRM_PPS_DEPLOY_RESOURCES), TRM_OK);
  job = Job();
  ExpectInOrder(job,
                {"%%KORA_DEPLOY_JOB_RESOURCES \"true\"\n", "\nuserdict /KORAOSAVE save put clear\n",
                 " (mtbc/F/P/logo.frm) ", " load_file\n", "clear KORAOSAVE restore\n", "RSAVE"});
  EXPECT_THAT(job, Not(HasSubstr("MTBRESDEF")));
}

TEST_F(ContainerTest, PageRangeAndSubmissionChoice) {
  Submit("one.ps", 1, "first");
  Submit("two.ps", 2, "second");
  Submit("three.ps", 3, "third");
  Add("pic.jpg", "img", "jpeg");
  trmPPSSetPageRange(pps_, 0, 3, 7);
  ASSERT_EQ(Run(TRM_PPS_PAGE_RANGE), TRM_OK) << trmGetLastMessage();
  EXPECT_THAT(Job(), HasSubstr("\n[/PageRange 0] SETPARAMS\n3 7 PAGERANGE\n\nRSAVE\nsecond\n"));

  trmPPSSetSubmissionFile(pps_, "three.ps");
  ASSERT_EQ(Run(TRM_PPS_PAGE_RANGE), TRM_OK);
  EXPECT_THAT(Job(), HasSubstr("RSAVE\nthird\n"));

  // A 25 MiB file passes in three chunks, every byte in place.
  const std::string large = km_test::RandomBytes(25u << 20, 5);
  Submit("large.ps", 4, large);
  trmPPSSetSubmissionFile(pps_, "large.ps");
  ASSERT_EQ(Run(TRM_PPS_PAGE_RANGE), TRM_OK);
  const std::string job = Job();
  const std::size_t start = job.find("\nRSAVE\n") + 7;
  EXPECT_EQ(job.compare(start, large.size(), large), 0);
  EXPECT_EQ(job.substr(start + large.size(), 15), "\n[/KeepVMF fals");
}

TEST_F(ContainerTest, FailuresLeaveNoOutput) {
  Submit("page.ps", 1);
  Add("pic.jpg", "img", "jpeg");
  const std::string missing = Add("gone.frm", "frm", "x");
  const std::string empty = Add("empty.dat", "dat", "");
  const std::string folder = Add("dir.jdt", "jdt", "x");
  ASSERT_EQ(project_->SaveProject() & 8, 0);
  saved_ = true;
  std::filesystem::remove(missing);
  std::filesystem::remove(folder);
  std::filesystem::create_directory(folder);
  const struct {
    std::string submission;
    std::uint32_t flags;
    int code;
    std::string detail;
  } cases[] = {
      {"pic.jpg", kBuiltin, TRM_PRINT_FILE_MISSING, "pic.jpg"},
      {"nothing.ps", kBuiltin, TRM_PRINT_FILE_MISSING, "nothing.ps"},
      {"/no/such.ps", TRM_PPS_EXTERNAL_SUBMISSION, TRM_PRINT_FILE_MISSING, "/no/such.ps"},
      {folder, TRM_PPS_EXTERNAL_SUBMISSION | kBuiltin, TRM_SOURCE_UNREADABLE,
       folder + ": is a folder"},
      {"", TRM_PPS_INCLUDE_RESOURCES, TRM_SOURCE_MISSING, missing},
  };
  for (const auto& c : cases) {
    trmPPSSetSubmissionFile(pps_, c.submission.c_str());
    EXPECT_EQ(Run(c.flags), c.code) << c.submission;
    EXPECT_EQ(trmGetLastDetail(), c.detail) << c.submission;
    EXPECT_TRUE(NothingWritten());
  }
  WriteFile(missing, "back");
  EXPECT_EQ(Run(TRM_PPS_INCLUDE_RESOURCES), TRM_SOURCE_SIZE);
  EXPECT_EQ(trmGetLastDetail(), empty);
  WriteFile(empty, "back");
  EXPECT_EQ(Run(TRM_PPS_INCLUDE_RESOURCES), TRM_SOURCE_UNREADABLE);
  EXPECT_EQ(trmGetLastDetail(), folder + ": is a folder");
  EXPECT_TRUE(NothingWritten());
  WriteFile(Path("out/file"), "");
  const std::string blocked = Path("out/file/job.ps").string();
  trmVOSSetOutputPath(vos_, blocked.c_str());
  EXPECT_EQ(Run(0), TRM_WRITE_PROBLEM);
  EXPECT_EQ(trmGetLastDetail(), blocked);
  EXPECT_EQ(km_test::FolderEntries(Path("out")), std::vector<std::string>{"file"});
}

TEST(JobWriterBuffer, HoldsALargerBufferUntilFlushed) {
  const km_test::ScratchFolder scratch("jobwriter");
  trm::JobWriter writer((scratch / "job.ps").string());
  ASSERT_TRUE(writer.Open());
  ASSERT_TRUE(writer.SetBufferSize(std::size_t{1} << 20));
  ASSERT_TRUE(writer.Write(std::string(900000, 'x')));
  const auto entries = km_test::FolderEntries(scratch.path());
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(fs::file_size(scratch / entries[0]), 0u);  // nothing reached the file yet
  ASSERT_TRUE(writer.Flush());
  EXPECT_EQ(fs::file_size(scratch / entries[0]), 900000u);
}

}  // namespace
}  // namespace trm_test
