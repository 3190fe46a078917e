#pragma once
// Letter case of ASCII texts. Only "A"-"Z" and "a"-"z" change; every other byte, including
// every byte of a UTF-8 sequence, stays as it is, whatever the locale says.

#include <string>
#include <string_view>

namespace platform {

// c in lower case when it is an ASCII capital; any other byte unchanged.
char AsciiLower(char c);
// c in upper case when it is an ASCII small letter; any other byte unchanged.
char AsciiUpper(char c);
// The text with its ASCII capitals in lower case; never changes its length.
std::string AsciiLower(std::string_view text);
// The text with its ASCII small letters in upper case; never changes its length.
std::string AsciiUpper(std::string_view text);
// True when both texts are equal after folding ASCII letters; other bytes must be equal.
bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b);

}  // namespace platform
