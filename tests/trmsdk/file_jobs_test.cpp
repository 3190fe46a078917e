#include <gmock/gmock.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

#include "encoding/ascii85.h"
#include "encoding/hex.h"
#include "generator_fixture.h"
#include "stream/job_prolog.h"

namespace trm_test {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

class FileJobTest : public GeneratorTest {
 protected:
  void SetUp() override {
    GeneratorTest::SetUp();
    fos_ = trmNewFOS();
    vos_ = trmNewVOS();
    trmVOSSetOutputPath(vos_, Output().c_str());
  }
  void TearDown() override {
    trmFreeFOS(fos_);
    trmFreeVOS(vos_);
    GeneratorTest::TearDown();
  }

  std::string AddFile(const std::string& relative, std::string_view bytes,
                      const char* printerName = "") {
    WriteFile(Path(relative), bytes);
    std::string local = Path(relative).string();
    EXPECT_EQ(trmFOSAddLoadFile(fos_, local.c_str(), printerName), 1);
    return local;
  }

  // The job text after the prolog's date line.
  std::string Body() const {
    std::string job = ReadFile(Output());
    auto date = job.find("\n/DATE (");
    return job.substr(job.find(") def\n", date) + 6);
  }

  trmFOS* fos_ = nullptr;
  trmVOS* vos_ = nullptr;
};

TEST_F(FileJobTest, LoaderWritesOneRecordPerFile) {
  AddFile("res/formlib/logo.frm", std::string(512, 'A'));
  AddFile("res/b.bin", std::string(513, '\0'), "mtbc/mislib/zero (1).bin");
  trmFOSSetStatusLabel(fos_, "Printer7");
  trmFOSSetFlags(fos_, TRM_FLAG_STATUS_PAGE);
  ASSERT_EQ(trmCreateFileLoader(fos_, vos_), TRM_OK) << trmGetLastMessage();
  EXPECT_STREQ(trmGetLastDetail(), Output().c_str());
  std::string job = ReadFile(Output());
  EXPECT_THAT(job, StartsWith("%!\n%%Title: trmCreateFileLoader\n%%Creator: TRMSDK 1.9.3\n"));
  EXPECT_THAT(job, HasSubstr("%%EndComments\n\n" + std::string(trm::JobProlog()) + "\n/DATE ("));

  std::string aLine;
  for (int i = 0; i < 128; ++i) aLine += "5s[e&";  // "AAAA" in ASCII85
  std::string zeros(128, 'z');
  EXPECT_EQ(Body(),
            "\n\n512 (mtbc/formlib/logo.frm) (Printer7) true false load_file\n<~" + aLine +
                "\n~>\n" +
                "\n\n513 (mtbc/mislib/zero \\(1\\).bin) (Printer7) true false load_file\n<~" +
                zeros + "\n!!~>\n" + "\nend_list\n%EOF");
  // No lock and no scratch file remain.
  EXPECT_TRUE(fs::is_empty(Path("tmp")));
  EXPECT_EQ(std::distance(fs::directory_iterator(Path("out")), fs::directory_iterator()), 1);
}

TEST_F(FileJobTest, LoaderHexReplaceAndEpsStrip) {
  AddFile("res/abc.dat", "\x01\xAB\xFF", "abc");
  // A DOS EPS file with its TIFF preview at the end.
  std::string eps(30, '\0');
  std::string postscript = "%!PS-Adobe-3.0 EPSF\n";
  auto put = [&](std::size_t at, std::uint32_t value) {
    for (int b = 0; b < 4; ++b) eps[at + b] = static_cast<char>((value >> (8 * b)) & 0xFF);
  };
  put(0, 0xC6D3D0C5);
  put(4, 30);
  put(8, static_cast<std::uint32_t>(postscript.size()));
  put(20, static_cast<std::uint32_t>(30 + postscript.size()));
  put(24, 4);
  eps += postscript + "TIFF";
  AddFile("res/pic.eps", eps, "pic.eps");
  // A DOS EPS header and nothing else leaves no data: no hex digits could carry it.
  AddFile("res/none.eps", eps.substr(0, 4) + std::string(26, '\0'), "none.eps");
  trmFOSSetFlags(fos_, TRM_FLAG_HEX | TRM_FLAG_REPLACE);
  ASSERT_EQ(trmCreateFileLoader(fos_, vos_), TRM_OK) << trmGetLastMessage();
  std::string hexPs;
  for (unsigned char c : postscript) {
    char digits[3];
    std::snprintf(digits, sizeof digits, "%.2X", c);
    hexPs += digits;
  }
  EXPECT_EQ(Body(),
            "\n\n3 (abc) () false true load_file\n01ABFF"
            "\n\n" +
                std::to_string(postscript.size()) + " (pic.eps) () false true load_file\n" + hexPs +
                "\n\n0 (none.eps) () false true load_file\n<~~>\n"
                "\n%EOF");
}

TEST_F(FileJobTest, LoaderFailuresLeaveNoOutput) {
  EXPECT_EQ(trmCreateFileLoader(fos_, vos_), TRM_INVALID_PARAMETER);
  EXPECT_STREQ(trmGetLastDetail(), "trmFOS.loadFilesList or trmFOS.printerFilesList");

  AddFile("res/one.frm", "1");
  std::string second = AddFile("res/two.frm", "2");
  AddFile("res/three.frm", "3");
  trmVOS* noOutput = trmNewVOS();
  EXPECT_EQ(trmCreateFileLoader(fos_, noOutput), TRM_INVALID_PARAMETER);
  EXPECT_STREQ(trmGetLastDetail(), "trmVOS.outputPath");
  trmFreeVOS(noOutput);

  fs::remove(second);
  EXPECT_EQ(trmCreateFileLoader(fos_, vos_), TRM_SOURCE_MISSING);
  EXPECT_STREQ(trmGetLastMessage(),
               ("[trmCreateFileLoader] Cannot locate source file. [" + second + "]").c_str());
  EXPECT_FALSE(fs::exists(Output()));

  WriteFile(second, "");
  EXPECT_EQ(trmCreateFileLoader(fos_, vos_), TRM_SOURCE_SIZE);
  EXPECT_STREQ(trmGetLastDetail(), second.c_str());
  EXPECT_FALSE(fs::exists(Output()));

  fs::remove(second);
  fs::create_directory(second);
  EXPECT_EQ(trmCreateFileLoader(fos_, vos_), TRM_SOURCE_UNREADABLE);
  EXPECT_STREQ(trmGetLastDetail(), (second + ": is a folder").c_str());
  EXPECT_FALSE(fs::exists(Output()));

  // A job allowed to replace an older job file keeps that file when it fails.
  WriteFile(Output(), "previous job");
  trmVOSSetFlags(vos_, TRM_FLAG_REPLACE);
  EXPECT_EQ(trmCreateFileLoader(fos_, vos_), TRM_SOURCE_UNREADABLE);
  EXPECT_EQ(ReadFile(Output()), "previous job");
  EXPECT_EQ(std::distance(fs::directory_iterator(Path("out")), fs::directory_iterator()), 1);
  fs::remove(second);
  WriteFile(second, "2");
  EXPECT_EQ(trmCreateFileLoader(fos_, vos_), TRM_OK);
  EXPECT_THAT(ReadFile(Output()), StartsWith("%!\n"));
}

TEST_F(FileJobTest, FontLoaderNamesFontsAndNeverReplaces) {
  const std::string urw = "/usr/share/fonts/type1/urw-base35/NimbusSans-Regular.t1";
  ASSERT_TRUE(fs::exists(urw)) << "fonts-urw-base35 is not installed";
  ASSERT_EQ(trmFOSAddFont(fos_, urw.c_str()), 1);
  WriteFile(Path("fonts/foo.pfa"), "%!FontType1\n/FontName /Foo def\n");
  ASSERT_EQ(trmFOSAddFont(fos_, Path("fonts/foo.pfa").c_str()), 1);
  trmFOSSetStatusLabel(fos_, "P");
  trmFOSSetFlags(fos_, TRM_FLAG_REPLACE);
  ASSERT_EQ(trmCreatePSFontLoader(fos_, vos_), TRM_OK) << trmGetLastMessage();
  std::string body = Body();
  EXPECT_THAT(body, ::testing::ContainsRegex(
                        "^\n\n[1-9][0-9]+ \\(fonts/NimbusSans-Regular\\) \\(P\\) false false "
                        "load_file\n<~"));
  EXPECT_THAT(body, HasSubstr("\n\n31 (fonts/Foo) (P) false false load_file\n<~"));
  EXPECT_THAT(body, EndsWith("~>\n\n%EOF"));
  EXPECT_THAT(ReadFile(Output()), StartsWith("%!\n%%Title: trmCreatePSFontLoader\n"));

  WriteFile(Path("fonts/bad.pfa"), "/FontName\n/Other /X def\n");
  trmFOS* bad = trmNewFOS();
  trmFOSAddFont(bad, Path("fonts/bad.pfa").c_str());
  trmVOSSetFlags(vos_, 0);
  fs::remove(Output());
  EXPECT_EQ(trmCreatePSFontLoader(bad, vos_), TRM_NO_FONT_NAME);
  EXPECT_STREQ(trmGetLastMessage(),
               ("[trmCreatePSFontLoader] Cannot obtain the font name from the font file. [" +
                Path("fonts/bad.pfa").string() + "]")
                   .c_str());
  EXPECT_FALSE(fs::exists(Output()));
  trmFreeFOS(bad);
  trmFOS* none = trmNewFOS();
  EXPECT_EQ(trmCreatePSFontLoader(none, vos_), TRM_INVALID_PARAMETER);
  EXPECT_STREQ(trmGetLastDetail(), "trmFOS.loadFontsList");
  trmFreeFOS(none);
}

TEST_F(FileJobTest, RemoverLinesAndEverything) {
  EXPECT_EQ(trmCreateFileRemover(fos_, vos_), TRM_INVALID_PARAMETER);
  EXPECT_STREQ(trmGetLastDetail(), "trmFOS.removeFilesList");

  trmFOSAddRemoveFile(fos_, "mtbc/formlib/logo.frm");
  trmFOSAddRemoveFile(fos_, "*.jpg");
  trmFOSSetStatusLabel(fos_, "P(1)");
  ASSERT_EQ(trmCreateFileRemover(fos_, vos_), TRM_OK);
  EXPECT_EQ(Body(),
            "(mtbc/formlib/logo.frm) (P\\(1\\)) false true list&remove\n"
            "(*.jpg) (P\\(1\\)) false true list&remove\n"
            "\n%EOF");
  EXPECT_THAT(ReadFile(Output()), Not(HasSubstr("startjob")));

  trmFOS* all = trmNewFOS();
  trmFOSAddRemoveFile(all, "logo.frm");
  trmFOSAddRemoveFile(all, "*");
  trmFOSAddRemoveFile(all, "data.dbf");
  trmFOSSetStatusLabel(all, "P7");
  trmFOSSetFlags(all, TRM_FLAG_STATUS_PAGE);
  trmVOSSetFlags(vos_, TRM_FLAG_REPLACE);
  ASSERT_EQ(trmCreateFileRemover(all, vos_), TRM_OK);
  std::string job = ReadFile(Output());
  EXPECT_THAT(job, HasSubstr("%%EndComments\n\n\ntrue () startjob pop\n" +
                             std::string(trm::JobProlog()) + "\n/DATE ("));
  EXPECT_EQ(Body(),
            "(mtb/*) (P7) true true list&remove\n"
            "(mtbc/*) (P7) true true list&remove\n"
            "\n(P7) true 0 auto_start"
            "\nend_list"
            "\nfalse () startjob pop"
            "\n%EOF");
  EXPECT_THAT(job, Not(HasSubstr("logo.frm")));
  EXPECT_THAT(job, Not(HasSubstr("data.dbf")));
  trmFreeFOS(all);
}

}  // namespace
}  // namespace trm_test

namespace trm_test {
namespace {

// Large files stream through the encoder in pieces: the record must be the one a whole-file
// encoding gives, in both encodings, whatever falls on the piece boundaries.
TEST_F(FileJobTest, LargeFilesStreamToTheSameRecord) {
  std::string data(9 * 1024 * 1024 + 3, '\0');
  std::uint32_t state = 12345;
  for (std::size_t i = 0; i < data.size(); ++i) {
    state = state * 1103515245u + 12345u;
    // Zero runs across piece boundaries, random bytes elsewhere.
    bool zero = (i / 1000) % 3 == 0 || (i > 4194000 && i < 4195000);
    data[i] = zero ? '\0' : static_cast<char>(state >> 24);
  }
  std::string local = AddFile("res/big.bin", data, "big");
  std::span<const unsigned char> bytes(reinterpret_cast<const unsigned char*>(data.data()),
                                       data.size());
  trmVOSSetFlags(vos_, TRM_FLAG_REPLACE);
  ASSERT_EQ(trmCreateFileLoader(fos_, vos_), TRM_OK) << trmGetLastMessage();
  EXPECT_TRUE(Body() == "\n\n" + std::to_string(data.size()) +
                            " (big) () false false load_file\n<~" +
                            trm::EncodeAscii85(bytes, 0, 512) + "\n%EOF");
  trmFOSSetFlags(fos_, TRM_FLAG_HEX);
  ASSERT_EQ(trmCreateFileLoader(fos_, vos_), TRM_OK) << trmGetLastMessage();
  EXPECT_TRUE(Body() == "\n\n" + std::to_string(data.size()) + " (big) () false false load_file\n" +
                            trm::EncodeHex(bytes, 0, 512) + "\n%EOF");
}

// Pieces of a streamed file are read and encoded ahead of the writer in a ring of buffers:
// files ending exactly on a piece boundary, one byte past it or inside a group, one after the
// other in one job, give the records of the whole files.
TEST_F(FileJobTest, StreamedFilesEndOnAndBesidePieceBoundaries) {
  // Files above 2 MiB stream, in pieces of 256 KiB.
  constexpr std::size_t kPiece = std::size_t{256} << 10;
  const std::size_t sizes[] = {12 * kPiece, 8 * kPiece + 1, 20 * kPiece - 2};
  std::string expected85;
  std::string expectedHex;
  std::uint32_t state = 99;
  for (std::size_t file = 0; file < std::size(sizes); ++file) {
    std::string data(sizes[file], '\0');
    for (std::size_t i = 0; i < data.size(); ++i) {
      state = state * 1103515245u + 12345u;
      // Zero groups right at the start and end of every piece, random bytes between.
      const std::size_t inPiece = i % kPiece;
      bool zero = inPiece < 8 || inPiece >= kPiece - 8 || (i / 4096) % 7 == 0;
      data[i] = zero ? '\0' : static_cast<char>(state >> 24);
    }
    const std::string name = "f" + std::to_string(file);
    AddFile("res/" + name + ".bin", data, name.c_str());
    std::span<const unsigned char> bytes(reinterpret_cast<const unsigned char*>(data.data()),
                                         data.size());
    expected85 += "\n\n" + std::to_string(data.size()) + " (" + name +
                  ") () false false load_file\n<~" + trm::EncodeAscii85(bytes, 0, 512);
    expectedHex += "\n\n" + std::to_string(data.size()) + " (" + name +
                   ") () false false load_file\n" + trm::EncodeHex(bytes, 0, 512);
  }
  trmVOSSetFlags(vos_, TRM_FLAG_REPLACE);
  ASSERT_EQ(trmCreateFileLoader(fos_, vos_), TRM_OK) << trmGetLastMessage();
  EXPECT_TRUE(Body() == expected85 + "\n%EOF");
  trmFOSSetFlags(fos_, TRM_FLAG_HEX);
  ASSERT_EQ(trmCreateFileLoader(fos_, vos_), TRM_OK) << trmGetLastMessage();
  EXPECT_TRUE(Body() == expectedHex + "\n%EOF");
}

}  // namespace
}  // namespace trm_test

namespace trm_test {
namespace {

// A disk that fills up while the job is written: the job fails with 1005 naming the output,
// and neither the output nor its scratch file stays behind. A file-size limit stands in for
// the full disk, in a child process so the limit ends with it.
TEST_F(FileJobTest, FullDiskLeavesNothingBehind) {
  AddFile("res/big.bin", std::string(3 * 1024 * 1024, 'x'), "big");
  const std::string output = Output();
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    signal(SIGXFSZ, SIG_IGN);
    rlimit limit{256 * 1024, 256 * 1024};
    setrlimit(RLIMIT_FSIZE, &limit);
    int code = trmCreateFileLoader(fos_, vos_);
    bool detailNamesOutput = output == trmGetLastDetail();
    _exit(code == TRM_WRITE_PROBLEM && detailNamesOutput ? 0 : 1);
  }
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_TRUE(fs::is_empty(Path("out")));
  EXPECT_TRUE(fs::is_empty(Path("tmp")));
}

}  // namespace
}  // namespace trm_test
