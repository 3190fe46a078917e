#include <gmock/gmock.h>
#include <sys/stat.h>

#include <array>
#include <string>

#include "kmjob_runner.h"

namespace {

namespace fs = std::filesystem;
using kmjob_test::Outcome;
using kmjob_test::Slurp;
using ::testing::HasSubstr;
using ::testing::Not;

using KmjobTest = kmjob_test::KmjobTestBase;

TEST_F(KmjobTest, LoadFilesNamesFilesAndMapsExitStatus) {
  std::string logo = File("formlib/logo.frm", "logo");
  std::string odd = File("a=b.txt", "x");
  std::string job = (dir_ / "job.ps").string();
  Outcome ok = Kmjob({"load-files", logo, odd, odd + "=mtbc/mislib/renamed", "--keep-existing",
                      "--hex", "--label", "P1", "--output", job});
  ASSERT_EQ(ok.status, 0) << ok.err;
  EXPECT_EQ(ok.out, job + "\n");
  std::string text = Slurp(job);
  EXPECT_THAT(text,
              HasSubstr("\n\n4 (mtbc/formlib/logo.frm) (P1) false false load_file\n6C6F676F"));
  // The same local file twice keeps one entry under its last printer name.
  EXPECT_THAT(text, HasSubstr("\n\n1 (mtbc/mislib/renamed) (P1) false false load_file\n78"));
  EXPECT_THAT(text, Not(HasSubstr("(mtbc/mislib/a=b.txt)")));

  Outcome exists = Kmjob({"load-files", logo, "--output", job});
  EXPECT_EQ(exists.status, 2);
  EXPECT_THAT(exists.err, HasSubstr("Flag not set to overwrite existing file. [" + job + "]"));
  EXPECT_EQ(Kmjob({"load-files", logo, "--output", job, "--overwrite"}).status, 0);
  EXPECT_THAT(Slurp(job), HasSubstr("(mtbc/formlib/logo.frm) () false true load_file"));

  Outcome missing = Kmjob({"load-files", (dir_ / "nope.frm").string(), "--output", job + "2"});
  EXPECT_EQ(missing.status, 3);
  EXPECT_THAT(missing.err, HasSubstr("Cannot locate source file."));
  EXPECT_FALSE(fs::exists(job + "2"));

  Outcome noOutput = Kmjob({"load-files", logo});
  EXPECT_EQ(noOutput.status, 17);
  EXPECT_THAT(noOutput.err, HasSubstr("[trmVOS.outputPath]"));
  Outcome noFiles = Kmjob({"load-files", "--output", job + "3"});
  EXPECT_EQ(noFiles.status, 17);
}

TEST_F(KmjobTest, OtherCommandsAndUsage) {
  std::string job = (dir_ / "list.ps").string();
  ASSERT_EQ(Kmjob({"list-files", "--pattern=*.frm", "--output", job}).status, 0);
  EXPECT_THAT(Slurp(job), HasSubstr("\n(*.frm) () true false list&remove\nend_list\n%EOF"));

  std::string removal = (dir_ / "remove.ps").string();
  ASSERT_EQ(Kmjob({"remove-files", "a.frm", "--status-page", "--output", removal}).status, 0);
  EXPECT_THAT(Slurp(removal), HasSubstr("(a.frm) () true true list&remove\n\nend_list\n%EOF"));

  std::string bad = File("bad.pfa", "no name here\n");
  Outcome font = Kmjob({"load-fonts", bad, "--output", (dir_ / "f.ps").string()});
  EXPECT_EQ(font.status, 19);
  EXPECT_THAT(font.err, HasSubstr("Cannot obtain the font name from the font file. [" + bad + "]"));

  // A file to send is checked before any print server is asked.
  Outcome missingSend = Kmjob({"send", (dir_ / "none.ps").string(), "--dest", "anywhere"});
  EXPECT_EQ(missingSend.status, 2);
  EXPECT_THAT(missingSend.err, HasSubstr("cannot read " + (dir_ / "none.ps").string()));
  EXPECT_EQ(Kmjob({"send", File("a.ps", "%!")}).status, 64);
  EXPECT_EQ(Kmjob({"group", "rename", "x"}).status, 64);

  EXPECT_EQ(Kmjob({"frobnicate"}).status, 64);
  EXPECT_EQ(Kmjob({"list-files", "--bogus"}).status, 64);
  EXPECT_EQ(Kmjob({"list-files", "--output"}).status, 64);
  Outcome help = Kmjob({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_THAT(help.out, HasSubstr("kmjob load-files LOCAL[=PRINTERNAME]..."));
  EXPECT_THAT(Kmjob({"--version"}).out, HasSubstr("TRMSDK 1.9.3"));
}

TEST_F(KmjobTest, RemovingEverythingIsAskedForWithAll) {
  const std::string job = (dir_ / "all.ps").string();
  const std::string everythingRemoved = "(mtb/*) () false true list&remove\n(mtbc/*)";
  // An unset shell variable gives "", and the printer would lose the interpreter too.
  for (const char* everything : {"", "*", "*.*", "/", ".", "\\", "**/."}) {
    Outcome refused = Kmjob({"remove-files", "a.frm", everything, "--output", job});
    EXPECT_EQ(refused.status, 64) << everything;
    EXPECT_THAT(refused.err, HasSubstr("give --all to remove everything")) << everything;
    EXPECT_FALSE(fs::exists(job)) << everything;
    Outcome allowed = Kmjob({"remove-files", everything, "--all", "--output", job, "--overwrite"});
    ASSERT_EQ(allowed.status, 0) << allowed.err;
    EXPECT_THAT(Slurp(job), HasSubstr(everythingRemoved)) << everything;
    fs::remove(job);
  }
  ASSERT_EQ(Kmjob({"remove-files", "--all", "--output", job}).status, 0);
  EXPECT_THAT(Slurp(job), HasSubstr(everythingRemoved));
  ASSERT_EQ(Kmjob({"remove-files", ".frm", "*.frm", "--output", job, "--overwrite"}).status, 0);
  EXPECT_THAT(Slurp(job), Not(HasSubstr(everythingRemoved)));
}

TEST_F(KmjobTest, SourceThatIsNoFileIsNamedForWhatItIs) {
  const std::string folder = (dir_ / "folder").string();
  const std::string fifo = (dir_ / "fifo").string();
  fs::create_directory(folder);
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string job = (dir_ / "job.ps").string();
  const std::pair<std::string, std::string> sources[] = {
      {folder, folder + ": is a folder"},
      {fifo, fifo + ": is a FIFO, not a regular file"},
  };
  for (const char* command : {"load-files", "load-fonts"}) {
    for (const auto& [path, detail] : sources) {
      Outcome refused = Kmjob({command, path, "--output", job});
      EXPECT_EQ(refused.status, 12) << command << " " << path;
      EXPECT_THAT(refused.err, HasSubstr("Problem loading a source file. [" + detail + "]"));
      EXPECT_FALSE(fs::exists(job));
    }
  }
}

}  // namespace
