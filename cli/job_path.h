#pragma once
// Where a job is written: --output, or a temporary file removed once it was delivered.

#include <cstdio>
#include <string>

#include "command_line.h"
#include "delivery.h"
#include "platform/temp_name.h"
#include "platform/text_object.h"

namespace kmjob {

class JobPath {
 public:
  explicit JobPath(const CommandLine& line) {
    if (line.output) {
      path_ = *line.output;
    } else if (DestinationOf(line)) {
      platform::TextObject temp;
      platform::MakeTempName(temp, "trm");
      path_ = temp.cstr();
      temporary_ = true;
    }
  }
  ~JobPath() {
    if (temporary_) std::remove(path_.c_str());
  }
  JobPath(const JobPath&) = delete;
  JobPath& operator=(const JobPath&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
  bool temporary_ = false;
};

}  // namespace kmjob
