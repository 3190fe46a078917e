#include "env_override.h"

#include <stdlib.h>

namespace km_test {

namespace {
void Apply(const std::string& name, const std::optional<std::string>& value) {
  if (value) {
    setenv(name.c_str(), value->c_str(), 1);
  } else {
    unsetenv(name.c_str());
  }
}
}  // namespace

EnvOverride::EnvOverride(std::string name, const std::optional<std::string>& value)
    : name_(std::move(name)) {
  if (const char* old = getenv(name_.c_str())) saved_ = old;
  Apply(name_, value);
}

EnvOverride::~EnvOverride() {
  Apply(name_, saved_);
}

}  // namespace km_test
