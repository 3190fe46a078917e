#include <gmock/gmock.h>

#include <string>

#include "encoding/ascii85.h"
#include "encoding/hex.h"
#include "encoding/load_record.h"
#include "generator_fixture.h"
#include "process.h"

namespace trm_test {
namespace {

using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

class FileJobTest : public GeneratorTest {
 protected:
  std::string AddFile(const std::string& relative, std::string_view bytes,
                      const char* printerName = "") {
    WriteFile(Path(relative), bytes);
    std::string local = Path(relative).string();
    EXPECT_EQ(trmFOSAddLoadFile(fos_, local.c_str(), printerName), 1);
    return local;
  }
  std::string Body() const { return JobBody(ReadFile(Output())); }

  const Fos fosOwner_ = NewFos();
  const Vos vosOwner_ = NewVos(Output());
  trmFOS* const fos_ = fosOwner_.get();
  trmVOS* const vos_ = vosOwner_.get();
};

TEST_F(FileJobTest, LoaderWritesOneRecordPerFile) {
  AddFile("res/formlib/logo.frm", std::string(512, 'A'));
  AddFile("res/b.bin", std::string(513, '\0'), "mtbc/mislib/zero (1).bin");
  trmFOSSetStatusLabel(fos_, "Printer7");
  trmFOSSetFlags(fos_, TRM_FLAG_STATUS_PAGE);
  ASSERT_EQ(trmCreateFileLoader(fos_, vos_), TRM_OK) << trmGetLastMessage();
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
  EXPECT_EQ(km_test::FolderEntries(Path("out")).size(), 1u);
}

TEST_F(FileJobTest, LoaderHexReplaceAndEpsStrip) {
  AddFile("res/abc.dat", "\x01\xAB\xFF", "abc");
  // A DOS EPS file with its 4-byte TIFF preview after its PostScript.
  const std::string postscript = "%!PS-Adobe-3.0 EPSF\n";
  const std::string eps = std::string("\xC5\xD0\xD3\xC6\x1E\0\0\0\x14\0\0\0", 12) +
                          std::string(8, '\0') + std::string("\x32\0\0\0\x04\0\0\0\xFF\xFF", 10) +
                          postscript + "TIFF";
  AddFile("res/pic.eps", eps, "pic.eps");
  // A DOS EPS header and nothing else leaves no data: no hex digits could carry it.
  AddFile("res/none.eps", eps.substr(0, 4) + std::string(26, '\0'), "none.eps");
  trmFOSSetFlags(fos_, TRM_FLAG_HEX | TRM_FLAG_REPLACE);
  ASSERT_EQ(trmCreateFileLoader(fos_, vos_), TRM_OK) << trmGetLastMessage();
  EXPECT_EQ(Body(),
            "\n\n3 (abc) () false true load_file\n01ABFF"
            "\n\n" +
                std::to_string(postscript.size()) + " (pic.eps) () false true load_file\n" +
                trm::EncodeHex(AsBytes(postscript), 0, 512) +
                "\n\n0 (none.eps) () false true load_file\n<~~>\n"
                "\n%EOF");
}

TEST_F(FileJobTest, LoaderFailuresLeaveNoOutput) {
  EXPECT_EQ(trmCreateFileLoader(fos_, vos_), TRM_INVALID_PARAMETER);
  EXPECT_STREQ(trmGetLastDetail(), "trmFOS.loadFilesList or trmFOS.printerFilesList");

  AddFile("res/one.frm", "1");
  std::string second = AddFile("res/two.frm", "2");
  AddFile("res/three.frm", "3");
  EXPECT_EQ(trmCreateFileLoader(fos_, NewVos().get()), TRM_INVALID_PARAMETER);
  EXPECT_STREQ(trmGetLastDetail(), "trmVOS.outputPath");

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
  EXPECT_EQ(km_test::FolderEntries(Path("out")).size(), 1u);
  fs::remove(second);
  WriteFile(second, "2");
  EXPECT_EQ(trmCreateFileLoader(fos_, vos_), TRM_OK);
  EXPECT_THAT(ReadFile(Output()), StartsWith("%!\n"));
}

TEST_F(FileJobTest, FontLoaderNamesFontsAndNeverReplaces) {
  // Real fonts, plain and segmented, are stored and found on the printer in the e2e tests.
  const std::string font = "%!FontType1\n/FontName /Foo def\n";
  WriteFile(Path("fonts/foo.pfa"), font);
  ASSERT_EQ(trmFOSAddFont(fos_, Path("fonts/foo.pfa").c_str()), 1);
  trmFOSSetStatusLabel(fos_, "P");
  trmFOSSetFlags(fos_, TRM_FLAG_REPLACE);
  ASSERT_EQ(trmCreatePSFontLoader(fos_, vos_), TRM_OK) << trmGetLastMessage();
  EXPECT_EQ(Body(), "\n\n31 (fonts/Foo) (P) false false load_file\n<~" +
                        trm::EncodeAscii85(AsBytes(font), 0, 512) + "\n%EOF");
  EXPECT_THAT(ReadFile(Output()), StartsWith("%!\n%%Title: trmCreatePSFontLoader\n"));

  WriteFile(Path("fonts/bad.pfa"), "/FontName\n/Other /X def\n");
  const Fos bad = NewFos();
  trmFOSAddFont(bad.get(), Path("fonts/bad.pfa").c_str());
  trmVOSSetFlags(vos_, 0);
  fs::remove(Output());
  EXPECT_EQ(trmCreatePSFontLoader(bad.get(), vos_), TRM_NO_FONT_NAME);
  EXPECT_STREQ(trmGetLastDetail(), Path("fonts/bad.pfa").c_str());
  EXPECT_FALSE(fs::exists(Output()));
  EXPECT_EQ(trmCreatePSFontLoader(NewFos().get(), vos_), TRM_INVALID_PARAMETER);
  EXPECT_STREQ(trmGetLastDetail(), "trmFOS.loadFontsList");
}

TEST_F(FileJobTest, RemoverWritesOneLinePerEntry) {
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
}

// Large files stream through the encoder in pieces: one after the other in one job, files
// ending on a piece boundary, one byte past it or inside a group give the records of the whole
// files, in both encodings.
TEST_F(FileJobTest, StreamedFilesGiveTheRecordsOfWholeFiles) {
  const std::size_t piece = trm::kStreamPieceBytes;
  const std::size_t sizes[] = {12 * piece, 8 * piece + 1, 16 * piece + 2, 20 * piece - 1};
  std::string expected85;
  std::string expectedHex;
  std::uint32_t state = 99;
  for (std::size_t file = 0; file < std::size(sizes); ++file) {
    std::string data(sizes[file], '\0');
    for (std::size_t i = 0; i < data.size(); ++i) {
      state = state * 1103515245u + 12345u;
      // Zero groups right at the start and end of every piece, random bytes between.
      const std::size_t inPiece = i % piece;
      const bool zero = inPiece < 8 || inPiece >= piece - 8 || (i / 4096) % 7 == 0;
      data[i] = zero ? '\0' : static_cast<char>(state >> 24);
    }
    const std::string name = "f" + std::to_string(file);
    AddFile("res/" + name + ".bin", data, name.c_str());
    const auto bytes = AsBytes(data);
    const std::string head =
        "\n\n" + std::to_string(data.size()) + " (" + name + ") () false false load_file\n";
    expected85 += head + "<~" + trm::EncodeAscii85(bytes, 0, 512);
    expectedHex += head + trm::EncodeHex(bytes, 0, 512);
  }
  trmVOSSetFlags(vos_, TRM_FLAG_REPLACE);
  ASSERT_EQ(trmCreateFileLoader(fos_, vos_), TRM_OK) << trmGetLastMessage();
  EXPECT_TRUE(Body() == expected85 + "\n%EOF");
  trmFOSSetFlags(fos_, TRM_FLAG_HEX);
  ASSERT_EQ(trmCreateFileLoader(fos_, vos_), TRM_OK) << trmGetLastMessage();
  EXPECT_TRUE(Body() == expectedHex + "\n%EOF");
}

// A disk that fills up while the job is written: the job fails with 1005 naming the output,
// and neither the output nor its scratch file stays behind.
TEST_F(FileJobTest, FullDiskLeavesNothingBehind) {
  AddFile("res/big.bin", std::string(3 * 1024 * 1024, 'x'), "big");
  km_test::ProcessOptions fullDisk;
  fullDisk.fileSizeLimit = 256 * 1024;
  const km_test::ProcessResult run = km_test::RunInChild(
      [&] {
        const int code = trmCreateFileLoader(fos_, vos_);
        return std::to_string(code) + " " + trmGetLastDetail();
      },
      fullDisk);
  EXPECT_EQ(run.out, "1005 " + Output());
  EXPECT_TRUE(fs::is_empty(Path("out")));
  EXPECT_TRUE(fs::is_empty(Path("tmp")));
}

}  // namespace
}  // namespace trm_test
