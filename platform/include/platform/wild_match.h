#pragma once
// The job generator's own wildcard rules for file masks and printer file names.

namespace platform {

// 1 when the whole text matches the pattern, else 0 (also for a null argument); never touches
// the file system. "*" matches any run of bytes, "/" included; "?" one byte; "[...]" a set
// with ranges, negated only by a leading "^" ("!" is an ordinary member); "\" makes the next
// pattern byte literal; case counts. These rules are not the system's (FindFirst uses
// fnmatch): stored patterns and the printer-side matcher rely on exactly these.
int WildMatch(const char* text, const char* pattern);

}  // namespace platform
