#pragma once
#include <string_view>

namespace kmsim {

// sim/preamble.ps, built in.
extern const std::string_view kPreamble;

}  // namespace kmsim
