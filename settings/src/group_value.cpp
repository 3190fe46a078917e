#include "settings/group_value.h"

#include <wx/string.h>

#include <algorithm>

#include "platform/ascii_case.h"

namespace settings {

std::size_t MembersThatFit(const std::vector<std::string>& members) {
  std::size_t length = 0;
  std::size_t count = 0;
  for (const std::string& member : members) {
    if (length > kGroupValueSoftLimit) break;
    length += (count == 0 ? 0 : 1) + member.size();
    ++count;
  }
  return count;
}

std::string BuildGroupValue(const std::vector<std::string>& members) {
  std::string value;
  const std::size_t count = MembersThatFit(members);
  for (std::size_t i = 0; i < count; ++i) {
    if (i > 0) value += ',';
    value += members[i];
  }
  return value;
}

std::vector<std::string> WithoutRepeats(const std::vector<std::string>& members) {
  std::vector<std::string> unique;
  for (const std::string& member : members) {
    if (std::none_of(unique.begin(), unique.end(), [&](const std::string& kept) {
          return platform::EqualsIgnoringAsciiCase(kept, member);
        })) {
      unique.push_back(member);
    }
  }
  return unique;
}

std::string MemberNameProblem(const std::string& member) {
  if (member.find(',') != std::string::npos) return "it holds a comma";
  if (std::any_of(member.begin(), member.end(),
                  [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7F; })) {
    return "it holds a control character";
  }
  if (wxString::FromUTF8(member).utf8_string() != member) return "it is not UTF-8 text";
  return {};
}

std::vector<std::string> SplitGroupValue(const std::string& value) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= value.size()) {
    const std::size_t comma = std::min(value.find(',', start), value.size());
    if (comma > start) parts.push_back(value.substr(start, comma - start));
    start = comma + 1;
  }
  return parts;
}

}  // namespace settings
