// kmjob's job commands: the records it writes, the files it refuses and its exit statuses.

#include <gmock/gmock.h>
#include <sys/stat.h>

#include "kmjob_fixture.h"

namespace {

namespace fs = std::filesystem;
using km_test::ReadFile;
using ::testing::HasSubstr;
using ::testing::Not;
using KmjobTest = kmjob_test::KmjobTest;

TEST_F(KmjobTest, LoadFilesNamesFilesAndMapsExitStatus) {
  const std::string logo = File("formlib/logo.frm", "logo");
  const std::string odd = File("a=b.txt", "x");
  const std::string job = Path("job.ps");
  const auto ok = Kmjob({"load-files", logo, odd, odd + "=mtbc/mislib/renamed", "--keep-existing",
                         "--hex", "--label", "P1", "--output", job});
  ASSERT_EQ(ok.status, 0) << ok.err;
  EXPECT_EQ(ok.out, job + "\n");
  const std::string text = ReadFile(job);
  EXPECT_THAT(text,
              HasSubstr("\n\n4 (mtbc/formlib/logo.frm) (P1) false false load_file\n6C6F676F"));
  // The same local file twice keeps one entry under its last printer name.
  EXPECT_THAT(text, HasSubstr("\n\n1 (mtbc/mislib/renamed) (P1) false false load_file\n78"));
  EXPECT_THAT(text, Not(HasSubstr("(mtbc/mislib/a=b.txt)")));

  const auto exists = Kmjob({"load-files", logo, "--output", job});
  EXPECT_EQ(exists.status, 2);
  EXPECT_THAT(exists.err, HasSubstr("Flag not set to overwrite existing file. [" + job + "]"));
  EXPECT_EQ(Kmjob({"load-files", logo, "--output", job, "--overwrite"}).status, 0);
  EXPECT_THAT(ReadFile(job), HasSubstr("(mtbc/formlib/logo.frm) () false true load_file"));

  const auto missing = Kmjob({"load-files", Path("nope.frm"), "--output", job + "2"});
  EXPECT_EQ(missing.status, 3);
  EXPECT_THAT(missing.err, HasSubstr("Cannot locate source file."));
  EXPECT_FALSE(fs::exists(job + "2"));
  const auto noOutput = Kmjob({"load-files", logo});
  EXPECT_EQ(noOutput.status, 17);
  EXPECT_THAT(noOutput.err, HasSubstr("[trmVOS.outputPath]"));
  EXPECT_EQ(Kmjob({"load-files", "--output", job + "3"}).status, 17);
}

TEST_F(KmjobTest, OtherCommandsAndUsage) {
  const std::string job = Path("list.ps");
  ASSERT_EQ(Kmjob({"list-files", "--pattern=*.frm", "--output", job}).status, 0);
  EXPECT_THAT(ReadFile(job), HasSubstr("\n(*.frm) () true false list&remove\nend_list\n%EOF"));
  const std::string removal = Path("remove.ps");
  ASSERT_EQ(Kmjob({"remove-files", "a.frm", "--status-page", "--output", removal}).status, 0);
  EXPECT_THAT(ReadFile(removal), HasSubstr("(a.frm) () true true list&remove\n\nend_list\n%EOF"));

  const std::string bad = File("bad.pfa", "no name here\n");
  const auto font = Kmjob({"load-fonts", bad, "--output", Path("f.ps")});
  EXPECT_EQ(font.status, 19);
  EXPECT_THAT(font.err, HasSubstr("Cannot obtain the font name from the font file. [" + bad + "]"));

  // A file to send is checked before any print server is asked.
  const auto missingSend = Kmjob({"send", Path("none.ps"), "--dest", "anywhere"});
  EXPECT_EQ(missingSend.status, 2);
  EXPECT_THAT(missingSend.err, HasSubstr("cannot read " + Path("none.ps")));
  for (const std::vector<std::string>& usage :
       {std::vector<std::string>{"send", File("a.ps", "%!")},
        {"group", "rename", "x"},
        {"frobnicate"},
        {"list-files", "--bogus"},
        {"list-files", "--output"}}) {
    EXPECT_EQ(Kmjob(usage).status, 64) << usage[0] << " " << usage.back();
  }
}

TEST_F(KmjobTest, RemovingEverythingIsAskedForWithAll) {
  const std::string job = Path("all.ps");
  const std::string everythingRemoved = "(mtb/*) () false true list&remove\n(mtbc/*)";
  // An unset shell variable gives "", and the printer would lose the interpreter too.
  for (const char* everything : {"", "*", "*.*", "/", ".", "\\", "**/."}) {
    const auto refused = Kmjob({"remove-files", "a.frm", everything, "--output", job});
    EXPECT_EQ(refused.status, 64) << everything;
    EXPECT_THAT(refused.err, HasSubstr("give --all to remove everything")) << everything;
    EXPECT_FALSE(fs::exists(job)) << everything;
    const auto allowed =
        Kmjob({"remove-files", everything, "--all", "--output", job, "--overwrite"});
    ASSERT_EQ(allowed.status, 0) << allowed.err;
    EXPECT_THAT(ReadFile(job), HasSubstr(everythingRemoved)) << everything;
    fs::remove(job);
  }
  ASSERT_EQ(Kmjob({"remove-files", "--all", "--output", job}).status, 0);
  EXPECT_THAT(ReadFile(job), HasSubstr(everythingRemoved));
  ASSERT_EQ(Kmjob({"remove-files", ".frm", "*.frm", "--output", job, "--overwrite"}).status, 0);
  EXPECT_THAT(ReadFile(job), Not(HasSubstr(everythingRemoved)));
}

TEST_F(KmjobTest, SourceThatIsNoFileIsNamedForWhatItIs) {
  const std::string folder = Path("folder");
  const std::string fifo = Path("fifo");
  fs::create_directory(folder);
  ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
  const std::string job = Path("job.ps");
  const std::pair<std::string, std::string> sources[] = {
      {folder, folder + ": is a folder"},
      {fifo, fifo + ": is a FIFO, not a regular file"},
  };
  for (const char* command : {"load-files", "load-fonts"}) {
    for (const auto& [path, detail] : sources) {
      const auto refused = Kmjob({command, path, "--output", job});
      EXPECT_EQ(refused.status, 12) << command << " " << path;
      EXPECT_THAT(refused.err, HasSubstr("Problem loading a source file. [" + detail + "]"));
      EXPECT_FALSE(fs::exists(job));
    }
  }
}

}  // namespace
