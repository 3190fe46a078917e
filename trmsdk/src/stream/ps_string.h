#pragma once
#include <string>
#include <string_view>

namespace trm {

// The text as the body of a PostScript string literal: "\", "(" and ")" are quoted and control
// characters written as octal escapes, so the printer receives exactly these bytes and a stray
// parenthesis cannot end the string early.
std::string EscapePsString(std::string_view text);

// "(" + escaped text + ")".
std::string PsString(std::string_view text);

// A header comment field on one line: CR and LF become blanks.
std::string CommentField(std::string_view text);

}  // namespace trm
