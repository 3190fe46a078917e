#pragma once
// The files an interpreter's run file names: the strings of every command with a given
// keyword, as in "(mtb/src/x.ps) run" or "[(a.ps) (b.ps)] run".

#include <string>
#include <string_view>
#include <vector>

namespace trm {

struct RunFileCommands {
  std::vector<std::string> files;  // in order of appearance, each once
  bool found = false;              // the keyword was seen after strings
};

struct RunFileScan {
  std::string_view keyword;
  bool allMatches = true;  // false: stop at the first command found
  bool convertOs = true;   // "%os%/d/rest" names a workstation file: "d:/rest"
};

// Scans windows of a run file: lines split at CR and LF, each ending as if with a blank.
class RunFileScanner {
 public:
  explicit RunFileScanner(const RunFileScan& scan) : scan_(scan) {}
  // Scans one window; found files add up over the windows.
  void Feed(std::string_view window);
  const RunFileCommands& Result() const { return result_; }
  bool Done() const { return result_.found && !scan_.allMatches; }

 private:
  enum class State { kIdle, kArray, kString, kAfterArray, kName };
  void Line(std::string_view line);
  // Handles one character; false when the rest of the line is to be skipped.
  bool Step(char c);
  void EndName(char delimiter);

  RunFileScan scan_;
  RunFileCommands result_;
  State state_ = State::kIdle;
  std::vector<std::string> strings_;
  std::string current_;
  int depth_ = 0;
  bool escaped_ = false;
};

// Reads the file in windows of 64 KiB that overlap by 1 KiB, so that a command cut by one
// window's end is seen whole in the next. False when the file cannot be read.
bool ScanRunFile(const std::string& path, const RunFileScan& scan, RunFileCommands& out);

}  // namespace trm
