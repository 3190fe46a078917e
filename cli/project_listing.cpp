#include "project_listing.h"

#include "platform/file_helpers.h"

namespace kmjob {
namespace {

const char* ScopeName(int scope) {
  switch (scope) {
    case tpsdk::kScopeLocal:
      return "Local";
    case tpsdk::kScopeFolder:
      return "Folder shared";
    case tpsdk::kScopeGlobal:
      return "Global shared";
    default:
      return "Unknown scope";
  }
}

}  // namespace

std::string Printable(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size());
  for (char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c < ' ' || c == 0x7f) {
      out += "\\x";
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += ch;
    }
  }
  return out;
}

std::string PrintableLines(std::string_view text) {
  std::string out;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    out += "  " + Printable(text.substr(start, end - start)) + "\n";
    start = end + 1;
  }
  return out;
}

void PrintResources(std::FILE* out, const tpsdk::Project& project) {
  std::fprintf(out, "Resources: %zu\n", project.GetElementCount());
  for (std::size_t i = 0; i < project.GetElementCount(); ++i) {
    const tpsdk::ProjectElement& element = *project.GetElement(i);
    const std::string path = element.GetLocalPath();
    std::fprintf(out, "  %-4s %-13s %s -> %s%s\n", Printable(element.GetType()).c_str(),
                 ScopeName(element.GetScope()), Printable(element.GetName()).c_str(),
                 path.empty() ? "(not resolved)" : Printable(path).c_str(),
                 path.empty() || platform::Exists(path.c_str()) ? "" : " (missing)");
  }
}

}  // namespace kmjob
