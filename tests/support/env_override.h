#pragma once
// Sets (or, given no value, unsets) an environment variable for the life of the object.

#include <optional>
#include <string>

namespace km_test {

class EnvOverride {
 public:
  EnvOverride(std::string name, const std::optional<std::string>& value);
  ~EnvOverride();
  EnvOverride(const EnvOverride&) = delete;
  EnvOverride& operator=(const EnvOverride&) = delete;

 private:
  std::string name_;
  std::optional<std::string> saved_;
};

}  // namespace km_test
