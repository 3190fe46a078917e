#pragma once
// A program left running in the background (a server, or a job to interrupt): its standard
// output is read line by line while it runs, its standard error goes to a file.

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace km_test {

class RunningProgram {
 public:
  // Starts program (no shell); errorFile empty: standard error goes to /dev/null.
  RunningProgram(const std::string& program, const std::vector<std::string>& arguments,
                 const std::filesystem::path& errorFile = {});
  // Kills the program if it still runs.
  ~RunningProgram();
  RunningProgram(const RunningProgram&) = delete;
  RunningProgram& operator=(const RunningProgram&) = delete;

  pid_t pid() const { return pid_; }
  // The next line of standard output without its line feed; empty after timeoutMs or at its
  // end.
  std::string NextLine(int timeoutMs = 60000);
  // Sends signal and waits for the end: the exit status, or -1 when a signal ended it.
  int Stop(int signal);

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  std::string buffer_;
};

}  // namespace km_test
