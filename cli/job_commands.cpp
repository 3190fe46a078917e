#include "job_commands.h"

#include <sys/stat.h>

#include <cstdio>
#include <functional>
#include <optional>
#include <string>

#include "delivery.h"
#include "generator_job.h"
#include "platform/path_kind.h"
#include "trm.h"

namespace kmjob {
namespace {

// The size of a regular file; nothing for a missing path or anything else.
std::optional<std::uintmax_t> RegularFileSize(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
  return static_cast<std::uintmax_t>(info.st_size);
}

std::string MiB(std::uintmax_t bytes) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f MiB", static_cast<double>(bytes) / (1024.0 * 1024.0));
  return text;
}

// A local file the generator would refuse is reported the way the generator reports it: 1003
// when nothing is there, 1012 naming what is there instead of a file.
int UnusableSource(std::string_view operation, const std::string& path) {
  const platform::PathKind kind = platform::KindOf(path.c_str());
  const bool missing = kind == platform::PathKind::kMissing;
  std::string detail = path;
  if (kind != platform::PathKind::kMissing && kind != platform::PathKind::kUnreachable) {
    detail.append(": ").append(platform::KindDescription(kind));
  }
  std::fprintf(
      stderr, "kmjob: [%.*s] %s [%s]\n", static_cast<int>(operation.size()), operation.data(),
      missing ? "Cannot locate source file." : "Problem loading a source file.", detail.c_str());
  return ExitStatusOf(missing ? TRM_SOURCE_MISSING : TRM_SOURCE_UNREADABLE);
}

// The generator's all-pattern rule: such a name removes every file on the printer, the
// interpreter included. An empty shell variable gives one, so it must be asked for by --all.
bool StandsForEverything(const std::string& name) {
  return name.find_first_not_of("*/\\.") == std::string::npos;
}

// Fills the records, then writes, reports and delivers the job as every job command does.
int RunJob(const CommandLine& line, const std::string& documentName,
           const std::function<int(trmFOS*)>& fill, int (*writeJob)(const trmFOS*, const trmVOS*),
           const std::function<std::string()>& progressText) {
  FosHandle fos(trmNewFOS());
  if (!fos) {
    std::fprintf(stderr, "kmjob: out of memory\n");
    return 1;
  }
  unsigned int flags = 0;
  if (line.statusPage) flags |= TRM_FLAG_STATUS_PAGE;
  if (line.hex) flags |= TRM_FLAG_HEX;
  if (!line.keepExisting) flags |= TRM_FLAG_REPLACE;
  trmFOSSetFlags(fos.get(), flags);
  if (const std::string label = StatusLabel(line); !label.empty()) {
    trmFOSSetStatusLabel(fos.get(), label.c_str());
  }
  if (int refused = fill(fos.get()); refused != 0) return refused;
  return RunGeneratorJob(line, documentName, progressText(),
                         [&](const trmVOS* vos) { return writeJob(fos.get(), vos); });
}

}  // namespace

int ExitStatusOf(int statusCode) {
  return statusCode == TRM_OK ? 0 : statusCode - 1000;
}

int ListFilesCommand(const CommandLine& line) {
  auto fill = [&](trmFOS* fos) {
    if (line.pattern) trmFOSSetListPattern(fos, line.pattern->c_str());
    return 0;
  };
  return RunJob(line, "[List Files]", fill, trmListPrinterFiles,
                [] { return "Writing listing job..."; });
}

int LoadFilesCommand(const CommandLine& line) {
  std::uintmax_t total = 0;
  auto fill = [&](trmFOS* fos) {
    for (const std::string& operand : line.operands) {
      // LOCAL or LOCAL=PRINTERNAME; a local name may itself contain "=".
      std::string local = operand;
      std::string printer;
      auto size = RegularFileSize(operand);
      for (auto equals = operand.find('='); !size && equals != operand.npos;
           equals = operand.find('=', equals + 1)) {
        size = RegularFileSize(operand.substr(0, equals));
        if (size) {
          local = operand.substr(0, equals);
          printer = operand.substr(equals + 1);
        }
      }
      if (!size) return UnusableSource("trmCreateFileLoader", local);
      total += *size;
      trmFOSAddLoadFile(fos, local.c_str(), printer.c_str());
    }
    return 0;
  };
  return RunJob(line, "[Load Legacy Files]", fill, trmCreateFileLoader, [&] {
    return "Writing job for " + std::to_string(line.operands.size()) + " file(s), " + MiB(total) +
           "...";
  });
}

int RemoveFilesCommand(const CommandLine& line) {
  for (const std::string& name : line.operands) {
    if (!line.all && StandsForEverything(name)) {
      std::fprintf(stderr,
                   "kmjob: the name \"%s\" stands for every file on the printer, the interpreter "
                   "too; give --all to remove everything (try kmjob --help)\n",
                   name.c_str());
      return kUsageError;
    }
  }
  auto fill = [&](trmFOS* fos) {
    for (const std::string& name : line.operands) trmFOSAddRemoveFile(fos, name.c_str());
    if (line.all) trmFOSAddRemoveFile(fos, "*");
    return 0;
  };
  return RunJob(line, "[Remove Legacy Files]", fill, trmCreateFileRemover,
                [] { return "Writing removal job..."; });
}

int LoadFontsCommand(const CommandLine& line) {
  auto fill = [&](trmFOS* fos) {
    for (const std::string& font : line.operands) {
      if (!trmFOSAddFont(fos, font.c_str())) return UnusableSource("trmCreatePSFontLoader", font);
    }
    return 0;
  };
  return RunJob(line, "[Load PS Fonts]", fill, trmCreatePSFontLoader, [&] {
    return "Writing font job for " + std::to_string(line.operands.size()) + " font(s)...";
  });
}

}  // namespace kmjob
