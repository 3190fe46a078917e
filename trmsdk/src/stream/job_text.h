#pragma once
// The texts every job shares: header, prolog with date line, printer-side commands, trailers.

#include <string>
#include <string_view>

namespace trm {

// Header block; extraLine is empty or a complete comment line ending in LF.
std::string JobHeader(std::string_view title, std::string_view extraLine = {});

// Job prolog followed by the "/DATE (...) def" line.
std::string PrologAndDate();

inline constexpr std::string_view kSystemModeStart = "\ntrue () startjob pop\n";
inline constexpr std::string_view kSystemModeEnd = "\nfalse () startjob pop";
inline constexpr std::string_view kEndList = "\nend_list";
inline constexpr std::string_view kEndOfFile = "\n%EOF";
inline constexpr std::string_view kTrailerWithList = "\nend_list\n%EOF";

inline const char* Word(bool value) {
  return value ? "true" : "false";
}

// "(label) status replace": the parameter text of plain load_file records.
std::string LoadParameters(std::string_view label, bool status, bool replace);

// "\n\n<count> (<printer name>) <parameters> load_file\n"; the data follows.
std::string LoadFileCommand(long long count, std::string_view printerName,
                            std::string_view parameters);

// "(<pattern>) (<label>) <status> <remove> list&remove", without surrounding line ends.
std::string ListRemoveCommand(std::string_view pattern, std::string_view label, bool status,
                              bool remove);

// "\n(<label>) <status> <mode> auto_start".
std::string AutoStartCommand(std::string_view label, bool status, char mode);

}  // namespace trm
