// Input: font text. The name found must be one whole token of the text, with no separator,
// not a comment, and the first FontName token must stand right before it.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fonts/font_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const auto name = trm::FindFontName({data, size});
  if (!name) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (name->empty() || name->front() == '%') std::abort();
  if (name->find_first_of(" \t/\r\n") != std::string::npos) std::abort();
  // Some "FontName" in the text is followed by separators and then exactly the name.
  bool found = false;
  for (std::size_t key = text.find("FontName"); key != std::string_view::npos && !found;
       key = text.find("FontName", key + 1)) {
    std::size_t at = key + 8;
    while (at < size && (text[at] == ' ' || text[at] == '\t' || text[at] == '/')) ++at;
    found = at > key + 8 && text.substr(at, name->size()) == *name &&
            (at + name->size() == size ||
             std::string_view(" \t/\r\n").find(text[at + name->size()]) != std::string_view::npos);
  }
  if (!found) std::abort();
  return 0;
}
