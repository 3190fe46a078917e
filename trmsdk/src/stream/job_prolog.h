#pragma once
#include <string_view>

namespace trm {

// The job prolog block as written after every job header: comment header, "currentfile eexec",
// the enciphered definitions in hex lines, five lines of zeros, "cleartomark", "%%EndProlog".
std::string_view JobProlog();

}  // namespace trm
