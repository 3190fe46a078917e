// Reading a stub file: the interpreter's run file with its SETPPATH block, or a typed stub
// file with three scope paths per project type.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/file_helpers.h"
#include "platform/text_object.h"
#include "tpsdk/message_catalogue.h"
#include "tpsdk/project.h"
#include "tpsdk/text_list.h"

namespace tpsdk {

namespace {

constexpr std::string_view kTypeMarker = "TESSEL_PROJECT_PDLTYPE: ";
constexpr std::string_view kSetPPath = "SETPPATH";
constexpr std::string_view kPrintAndForgetMark = "tpcpfd";

// A stub file lists a handful of folders; anything this large is not one, and reading it
// whole would only waste memory.
constexpr std::uint64_t kMaxStubFileBytes = 16u << 20;

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// The non-empty lines, split at carriage returns and line feeds; views into content.
std::vector<std::string_view> SplitLines(std::string_view content) {
  std::vector<std::string_view> lines;
  TextSplitter splitter(content, "\r\n");
  std::string_view line;
  while (splitter.Next(line)) lines.push_back(line);
  return lines;
}

// Every doubled backslash becomes one, left to right, as PostScript strings write them.
std::string UndoubleBackslashes(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    out += text[i];
    if (text[i] == '\\' && i + 1 < text.size() && text[i + 1] == '\\') ++i;
  }
  return out;
}

// The path of one SETPPATH line: the text before its first ")" without brackets, parentheses
// and white space, backslashes undoubled and the trailing separator dropped.
std::string LegacyPathOf(std::string_view line) {
  const std::string_view cut = line.substr(0, line.find(')'));
  std::string kept;
  kept.reserve(cut.size());
  for (char c : cut) {
    if (c != '[' && c != ']' && c != ' ' && c != '\t' && c != '(' && c != ')') kept += c;
  }
  std::string path = UndoubleBackslashes(kept);
  if (!path.empty()) path.pop_back();
  return path;
}

// The text hook works on C texts; a path holding a NUL byte could not name a folder anyway,
// so it is kept as it stands rather than cut.
void ApplyTextHook(std::string& path) {
  if (!Contains(path, "%") || Contains(path, std::string_view("\0", 1))) return;
  platform::TextObject text(path.c_str());
  platform::CallTextHook(text);
  path.assign(text.view());
}

}  // namespace

int Project::ReadStubFile(const char* path) {
  // Oversized, missing and unreadable files, and anything but a regular file, read as empty.
  const std::optional<std::string> content = platform::ReadFileText(path, kMaxStubFileBytes);
  return ReadStubText(content ? std::string_view(*content) : std::string_view());
}

int Project::ReadStubText(std::string_view content) {
  if (Contains(content, kTypeMarker)) {
    ReadTypedStubFile(content);
  } else {
    ReadLegacyStubFile(content);
  }
  return GetStatusMask();
}

void Project::ReadLegacyStubFile(std::string_view content) {
  const std::vector<std::string_view> lines = SplitLines(content);
  std::optional<std::size_t> start, end;
  for (std::size_t i = lines.size(); i-- > 0;) {
    if (end && Contains(lines[i], "[")) {
      start = i;
      break;
    }
    if (Contains(lines[i], kSetPPath)) end = i;
  }

  std::vector<std::string> paths;
  if (start && end && *start < *end) {
    for (std::size_t i = *start; i <= *end; ++i) {
      if (!Contains(lines[i], "(") || !Contains(lines[i], ")")) continue;
      std::string path = LegacyPathOf(lines[i]);
      ApplyTextHook(path);
      NormalisePath(path, path);
      if (Contains(path, kPrintAndForgetMark)) {
        if (!paths.empty()) Log(kWarning, msg::kPafMustBeFirst);
        printAndForgetPath_ = std::move(path);
      } else {
        paths.push_back(std::move(path));
      }
    }
  }

  stubPaths_.clear();
  for (const std::string& path : paths) {
    stubPaths_ += path;
    stubPaths_ += '|';
  }
}

void Project::ReadTypedStubFile(std::string_view content) {
  const std::vector<std::string_view> lines = SplitLines(content);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!Contains(lines[i], kTypeMarker)) continue;
    if (lines.size() - i <= 3) {
      Log(kError, msg::kStubPrematureEof, {lines.size() - 1});
      continue;
    }
    if (log_.HasError()) continue;
    std::string typeName;
    const int type = ParseStubTypeLine(lines[i], typeName);
    if (type == kProjectKora) {
      Log(kError, msg::kKoraNotAllowed);
    } else if (type < 0) {
      Log(kError, msg::kStubInvalidType, {typeName});
    } else {
      SetStubTypePaths({lines[i + 1], lines[i + 2], lines[i + 3]}, type);
    }
  }
}

int Project::ParseStubTypeLine(std::string_view line, std::string& typeName) {
  typeName.clear();
  const std::size_t marker = line.find(kTypeMarker);
  if (marker == std::string_view::npos) return -1;
  for (char c : line.substr(marker + kTypeMarker.size())) {
    if (c != ' ' && c != '\t' && c != '\n' && c != '\r') typeName += c;
  }
  if (typeName.empty()) return -1;
  const int type = ProjectTypeFromName(typeName);
  return type >= kProjectKora && type <= kProjectPpmlGa ? type : -1;
}

void Project::SetStubTypePaths(const std::array<std::string_view, 3>& lines, int type) {
  if (type < kProjectPs || type > kProjectPpmlGa) {
    Log(kError, msg::kInvalidTypeCode, {type});
    return;
  }
  std::array<std::string, 3>& paths = stubTypePaths_[type - 1];
  paths = {};
  for (std::size_t scope = 0; scope < lines.size(); ++scope) {
    const std::string_view line = lines[scope];
    std::string_view missing;
    const std::size_t open = line.find('(');
    std::size_t close = std::string_view::npos;
    if (scope == 2 && !Contains(line, kSetPPath)) {
      missing = kSetPPath;
    } else if (open == std::string_view::npos) {
      missing = "(";
    } else if ((close = line.find(')', open + 1)) == std::string_view::npos) {
      missing = ")";
    }
    if (!missing.empty()) {
      Log(kError, msg::kStubSyntaxError, {ProjectTypeName(type), missing, line});
      paths = {};
      return;
    }
    const std::string_view inner = line.substr(open + 1, close - open - 1);
    // An empty path leaves its scope empty, so that the gap is reported when it is needed.
    if (!inner.empty()) NormalisePath(paths[scope], inner);
  }
}

}  // namespace tpsdk
