#include "printer_name.h"

#include <algorithm>

namespace kmsim {
namespace {

constexpr std::size_t kMaxFileName = 255;
constexpr std::size_t kTempSuffixLength = 7;  // ".kmpart", added by the job prolog
constexpr char kHex[] = "0123456789ABCDEF";

void AppendEscaped(std::string& out, unsigned char c) {
  out.push_back('%');
  out.push_back(kHex[c >> 4]);
  out.push_back(kHex[c & 15]);
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string Encode(std::string_view name) {
  std::string flat;
  flat.reserve(name.size());
  for (char ch : name) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '/' || c == '%' || c == 0) {
      AppendEscaped(flat, c);
    } else {
      flat.push_back(ch);
    }
  }
  return flat;
}

}  // namespace

bool IsStorableName(std::string_view name) {
  // A path ends at NUL: "a\0" would be shown, and stored, as "a".
  if (name.empty() || name.find('\0') != std::string_view::npos) return false;
  std::size_t start = 0;
  while (true) {
    const std::size_t end = std::min(name.find('/', start), name.size());
    const std::string_view part = name.substr(start, end - start);
    if (part.empty() || part == "." || part == "..") return false;
    if (start == 0 && part == kPrivateFolder) return false;
    if (end == name.size()) break;
    start = end + 1;
  }
  return true;
}

std::optional<std::string> FlatName(std::string_view name) {
  if (!IsStorableName(name)) return std::nullopt;
  std::string flat = Encode(name);
  if (flat.size() + kTempSuffixLength > kMaxFileName) return std::nullopt;
  return flat;
}

std::optional<std::string> NameOfFlat(std::string_view flat) {
  std::string name;
  for (std::size_t i = 0; i < flat.size(); ++i) {
    if (flat[i] != '%') {
      name.push_back(flat[i]);
      continue;
    }
    if (i + 2 >= flat.size()) return std::nullopt;
    const int high = HexValue(flat[i + 1]);
    const int low = HexValue(flat[i + 2]);
    if (high < 0 || low < 0) return std::nullopt;
    name.push_back(static_cast<char>(high * 16 + low));
    i += 2;
  }
  // Only the one spelling that Encode gives stands for a name (this also admits the
  // prolog's temporary files, which are longer than FlatName allows).
  if (!IsStorableName(name) || Encode(name) != flat || flat.size() > kMaxFileName) {
    return std::nullopt;
  }
  return name;
}

std::string ReportEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < '!' || c > '~' || c == '%') {
      AppendEscaped(out, c);
    } else {
      out.push_back(ch);
    }
  }
  return out;
}

}  // namespace kmsim
