#pragma once
// Sets (or, given no value, unsets) an environment variable for the life of the object.

#include <stdlib.h>

#include <optional>
#include <string>
#include <utility>

namespace km_test {

class EnvOverride {
 public:
  EnvOverride(std::string name, const std::optional<std::string>& value) : name_(std::move(name)) {
    if (const char* old = getenv(name_.c_str())) saved_ = old;
    Apply(value);
  }
  ~EnvOverride() { Apply(saved_); }
  EnvOverride(const EnvOverride&) = delete;
  EnvOverride& operator=(const EnvOverride&) = delete;

 private:
  void Apply(const std::optional<std::string>& value) const {
    static_cast<void>(value ? setenv(name_.c_str(), value->c_str(), 1) : unsetenv(name_.c_str()));
  }

  std::string name_;
  std::optional<std::string> saved_;
};

}  // namespace km_test
