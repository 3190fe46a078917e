#include "interpreter/run_file_scanner.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "platform/unique_fd.h"

namespace trm {

namespace {

constexpr std::size_t kWindow = 65536;
constexpr std::size_t kOverlap = 1024;

bool IsBlank(char c) {
  return c == ' ' || c == '\t';
}

bool IsNameDelimiter(char c) {
  return IsBlank(c) || std::string_view("%()<>[]{}/").find(c) != std::string_view::npos;
}

// "%os%/d/rest" is "d:" followed by the rest; the separators stay this machine's.
std::string ConvertOsPath(std::string text) {
  if (text.size() < 6 || text.compare(0, 4, "%os%") != 0) return text;
  std::string path(1, text[5]);
  path += ':';
  path += text.substr(6);
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

}  // namespace

void RunFileScanner::Feed(std::string_view window) {
  // Each window starts afresh: the one before may have ended inside a command, which the
  // overlap shows whole again.
  state_ = State::kIdle;
  strings_.clear();
  current_.clear();
  depth_ = 0;
  escaped_ = false;
  std::size_t start = 0;
  while (start < window.size() && !Done()) {
    std::size_t end = window.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = window.size();
    if (end > start) Line(window.substr(start, end - start));
    start = end + 1;
  }
}

void RunFileScanner::Line(std::string_view line) {
  for (char c : line) {
    if (!Step(c)) return;
  }
  Step(' ');  // every line ends as if with a blank
}

bool RunFileScanner::Step(char c) {
  switch (state_) {
    case State::kIdle:
      if (c == '%') return false;
      if (c == '[') state_ = State::kArray;
      if (c == '(') {
        current_.clear();
        depth_ = 1;
        state_ = State::kString;
      }
      return true;
    case State::kArray:
      if (c == '%') return false;
      if (c == '(') {
        current_.clear();
        depth_ = 1;
        state_ = State::kString;
      } else if (c == ']') {
        state_ = State::kAfterArray;
      } else if (!IsBlank(c)) {
        if (strings_.empty()) {
          state_ = State::kIdle;
        } else {
          current_.assign(1, c);
          state_ = State::kName;
        }
      }
      return true;
    case State::kString:
      if (escaped_) {
        escaped_ = false;
        current_ += c;
      } else if (c == '\\') {
        escaped_ = true;
        current_ += c;
      } else if (c == ')' && --depth_ == 0) {
        strings_.push_back(std::move(current_));
        current_.clear();
        state_ = State::kArray;
      } else {
        if (c == '(') ++depth_;
        current_ += c;
      }
      return true;
    case State::kAfterArray:
      if (c == '%') return false;
      if (!IsBlank(c)) {
        current_.assign(1, c);
        state_ = State::kName;
      }
      return true;
    case State::kName:
      if (!IsNameDelimiter(c)) {
        current_ += c;
        return true;
      }
      EndName(c);
      return c != '%';
  }
  return true;
}

void RunFileScanner::EndName(char) {
  if (current_ == scan_.keyword && !Done()) {
    result_.found = true;
    for (std::string& text : strings_) {
      std::string file = scan_.convertOs ? ConvertOsPath(std::move(text)) : std::move(text);
      if (std::find(result_.files.begin(), result_.files.end(), file) == result_.files.end()) {
        result_.files.push_back(std::move(file));
      }
    }
  }
  strings_.clear();
  current_.clear();
  state_ = State::kIdle;
}

bool ScanRunFile(const std::string& path, const RunFileScan& scan, RunFileCommands& out) {
  out = RunFileCommands{};
  const platform::UniqueFd file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  if (!file.valid()) return false;
  RunFileScanner scanner(scan);
  std::vector<char> window(kWindow);
  for (off_t offset = 0; !scanner.Done(); offset += kWindow - kOverlap) {
    std::size_t filled = 0;
    while (filled < kWindow) {
      const ssize_t got = pread(file.get(), window.data() + filled, kWindow - filled,
                                offset + static_cast<off_t>(filled));
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) return false;
      if (got == 0) break;
      filled += static_cast<std::size_t>(got);
    }
    scanner.Feed(std::string_view(window.data(), filled));
    if (filled < kWindow) break;  // this window reached the end of the file
  }
  out = scanner.Result();
  return true;
}

}  // namespace trm
