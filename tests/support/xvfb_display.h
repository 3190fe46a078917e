#pragma once
// A private X display for GUI tests: an Xvfb server that picks a free display number, set as
// DISPLAY while the object lives.

#include <sys/types.h>

#include <string>

namespace km_test {

class XvfbDisplay {
 public:
  XvfbDisplay();
  ~XvfbDisplay();
  XvfbDisplay(const XvfbDisplay&) = delete;
  XvfbDisplay& operator=(const XvfbDisplay&) = delete;

  // ":N", or empty when the server could not be started.
  const std::string& name() const { return name_; }

 private:
  pid_t pid_ = -1;
  std::string name_;
};

}  // namespace km_test
