// A job cut short or damaged never destroys a file it was to replace, nor leaves a half file
// under a real name: kmsim reports the error, the files completed before it and, on the
// status page, the reason.

#include "e2e_fixture.h"

namespace e2e {
namespace {

class NothingLost : public E2eTest {
 protected:
  // kmjob's job replacing mtbc/first and then mtbc/a, split where the record of mtbc/a begins
  // and where its data end.
  struct Parts {
    std::string head, record, trailer;
  };
  Parts ReplaceJob(bool hex) const {
    std::string data;
    for (int i = 0; i < 3000; ++i) data.push_back(static_cast<char>(i * 7 + i / 251));
    Strings arguments = {"load-files",
                         Local("first", "first").string() + "=mtbc/first",
                         Local("a", data).string() + "=mtbc/a",
                         "--status-page",
                         "--label",
                         "P7"};
    if (hex) arguments.push_back("--hex");
    const std::string job = ReadFile(MakeJob("replace.kj", arguments));
    const std::size_t record = job.find("\n3000 (mtbc/a) (P7) true true load_file\n");
    const std::size_t trailer = job.rfind("\nend_list");
    return {job.substr(0, record), job.substr(record, trailer - record), job.substr(trailer)};
  }
  void PutOldFiles() const {
    fs::remove_all(disk_);
    WriteFile(disk_ / "mtbc/first", "old first");
    WriteFile(disk_ / "mtbc/a", "old");
  }
};

TEST_F(NothingLost, DamagedRecordKeepsTheOldFileAndSaysWhy) {
  const Parts a85 = ReplaceJob(false);  // 5 lines of 640 characters, one of 550
  const Parts hex = ReplaceJob(true);   // 5 lines of 1024 digits, one of 880
  // Where line k of the data starts (after "<~" in ASCII85).
  auto line = [](const std::string& record, int k) {
    std::size_t at = record.find("load_file\n") + 10;
    if (record[at] == '<') at += 2;
    for (int i = 0; i < k; ++i) at = record.find('\n', at) + 1;
    return at;
  };
  auto erase = [](std::string t, std::size_t at, std::size_t n) { return t.erase(at, n); };
  auto insert = [](std::string t, std::size_t at, std::string_view s) { return t.insert(at, s); };
  auto replace = [](std::string t, std::size_t at, char c) { return t.replace(at, 1, 1, c); };
  auto crlf = [](const std::string& text) {
    std::string out;
    for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
    return out;
  };
  // The length of the record: "\n3000 (mtbc/a) ...".
  auto count = [](std::string t, std::string_view to) { return t.replace(1, 4, to); };
  const std::string& a = a85.record;
  const std::string& h = hex.record;
  const std::string& end = a85.trailer;
  const std::size_t a85End = a.rfind("~>");
  const std::string oneByte = "\n\n1 (mtbc/a) (P7) true true load_file\n4";
  const struct {
    const char* what;
    std::string tail;  // the job from the damaged record on
    const char* reason;
  } cases[] = {
      {"ascii85 line dropped", erase(a, line(a, 1), 641) + end,
       "data short: 2488 of 3000 bytes arrived"},
      {"ascii85 last character dropped", erase(a, a85End - 1, 1) + end,
       "data short: 2999 of 3000 bytes arrived"},
      {"ascii85 zero group inserted", insert(a, line(a, 2), "z") + end, "data past length"},
      {"ascii85 character outside the alphabet", replace(a, line(a, 0) + 100, 'v') + end,
       "bad data: 0 of 3000 bytes arrived"},
      {"ascii85 line ends converted", crlf(a + end), "no line end after the data"},
      {"ascii85 cut before its end marker", a.substr(0, a85End), "job cut after the data"},
      {"ascii85 cut inside the data", a.substr(0, line(a, 2)),
       "data short: 1024 of 3000 bytes arrived"},
      {"ascii85 data past its length", count(a, "2999") + end, "data past length"},
      {"ascii85 without a length or opening", erase(count(a, "0"), a.find("<~") - 3, 2) + end,
       "no length"},
      // The trailer's "e", "d", "E" and "F" are taken for digits of the missing line.
      {"hex line dropped", erase(h, line(h, 1), 1025) + end, "data short: "},
      {"hex G in the first line", replace(h, line(h, 0) + 10, 'G') + end,
       "bad data: 2999 of 3000 bytes arrived"},
      {"hex digit dropped", erase(h, line(h, 0) + 10, 1) + end,
       "bad data: 2999 of 3000 bytes arrived"},
      {"hex digit inserted", insert(h, line(h, 0) + 10, "A") + end, "data past length"},
      {"hex line ends converted", crlf(h + end), "bad data: "},
      {"hex data past its length", count(h, "2999") + end, "data past length"},
      {"hex cut inside the data", h.substr(0, line(h, 2)),
       "data short: 1024 of 3000 bytes arrived"},
      // A one-byte record has nothing after its first two digits.
      {"hex one byte with a digit too many", oneByte + "1A" + end, "data past length"},
      {"hex one byte cut", oneByte, "data short: 0 of 1 bytes arrived"},
      {"hex opening with a non-digit", insert(h, line(h, 0), "<") + end,
       "bad data: 0 of 3000 bytes arrived"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    PutOldFiles();
    const std::string head = std::string_view(c.what).substr(0, 3) == "hex" ? hex.head : a85.head;
    const fs::path pages = root_ / "pages";
    fs::remove_all(pages);
    const ProcessResult run = Kmsim({"--pages", pages.string(), "--page-format", "text",
                                     Job("damaged.ps", head + c.tail).string()});
    const std::string reason = std::string("mtbc/a: ") + c.reason;
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(Report(run, "replaced"), Strings{"mtbc/first"});
    EXPECT_EQ(Report(run, "verdict"), Strings{"failed error ioerror load_file"});
    EXPECT_NE(run.err.find("load_file failed: " + reason), std::string::npos) << run.err;
    EXPECT_EQ(ReadFile(disk_ / "mtbc/first"), "first");
    EXPECT_EQ(ReadFile(disk_ / "mtbc/a"), "old");
    // No temporary file is left, neither in the folder view nor behind it.
    EXPECT_EQ(DiskFiles(), (Strings{"mtbc/a", "mtbc/first"}));
    EXPECT_TRUE(fs::is_empty(disk_ / ".kmsim/flat"));
    // The page lists what the job did before, then the failure with its reason.
    ASSERT_EQ(Report(run, "page").size(), 1u);
    const std::string page = ReadFile(Report(run, "page")[0]);
    const std::size_t replaced = page.find("mtbc/first");
    const std::size_t failed = page.find(reason);
    EXPECT_TRUE(replaced != std::string::npos && failed != std::string::npos && replaced < failed)
        << page;
  }
}

TEST_F(NothingLost, JobCutInsideThePrologChangesNothing) {
  const std::string job = ReplaceJob(false).head;
  const std::size_t middle = (job.find("currentfile eexec") + job.find("%%EndProlog")) / 2;
  PutOldFiles();
  const ProcessResult run = Kmsim({Job("cut.ps", job.substr(0, middle)).string()});
  EXPECT_EQ(run.status, 1);
  ASSERT_EQ(Report(run, "verdict").size(), 1u);
  EXPECT_EQ(Report(run, "verdict")[0].rfind("failed error ", 0), 0u) << run.out;
  EXPECT_EQ(ReadFile(disk_ / "mtbc/first"), "old first");
  EXPECT_EQ(ReadFile(disk_ / "mtbc/a"), "old");
}

}  // namespace
}  // namespace e2e
