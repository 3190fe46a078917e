#include "ghostscript.h"

#include "file_io.h"
#include "scratch_folder.h"

namespace km_test {

ProcessResult RunGhostscript(const std::vector<std::string>& arguments,
                             const ProcessOptions& options) {
  std::vector<std::string> all{"-q", "-dBATCH", "-dNOPAUSE", "-dSAFER"};
  all.insert(all.end(), arguments.begin(), arguments.end());
  return RunProgram("gs", all, options);
}

std::string GhostscriptDecode(const std::string& text, const std::string& filter) {
  const ScratchFolder scratch("km_gsdecode");
  const auto out = scratch / "out.bin";
  const auto job =
      scratch.File("job.ps", "/out (" + out.string() + ") (w) file def /buf 65535 string def\n" +
                                 "/in currentfile /" + filter + " filter def\n" +
                                 "{ { in buf readstring exch out exch writestring not { exit } "
                                 "if } loop out closefile } exec\n" +
                                 text);
  const ProcessResult run =
      RunGhostscript({"-dNODISPLAY", "--permit-file-write=" + out.string(), job.string()});
  return run.status == 0 ? ReadFile(out) : std::string();
}

}  // namespace km_test
