#pragma once
#include <string_view>

namespace trm {

enum class LogLocking { kLocked, kNoLock };

// Appends a dated line to "trmdebug.log" in the start directory, only while that file exists
// and is at most 1 MiB; the library never creates it.
void WriteDebugLog(std::string_view text, LogLocking locking = LogLocking::kLocked);

}  // namespace trm
