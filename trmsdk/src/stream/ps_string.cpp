#include "stream/ps_string.h"

namespace trm {

std::string EscapePsString(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size() + 8);
  for (char c : text) {
    auto byte = static_cast<unsigned char>(c);
    if (c == '\\' || c == '(' || c == ')') {
      escaped.push_back('\\');
      escaped.push_back(c);
    } else if (byte < 0x20 || byte == 0x7F) {
      const char octal[] = {'\\', static_cast<char>('0' + (byte >> 6)),
                            static_cast<char>('0' + ((byte >> 3) & 7)),
                            static_cast<char>('0' + (byte & 7))};
      escaped.append(octal, sizeof octal);
    } else {
      escaped.push_back(c);
    }
  }
  return escaped;
}

std::string PsString(std::string_view text) {
  return "(" + EscapePsString(text) + ")";
}

std::string CommentField(std::string_view text) {
  std::string field(text);
  for (char& c : field) {
    if (c == '\r' || c == '\n') c = ' ';
  }
  return field;
}

}  // namespace trm
