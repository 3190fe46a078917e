// Input: a font file, plain or segmented (or anything). Unwrapping must stay inside the data
// and keep every segment's bytes in order. The name found in the input and in its unwrapped
// form must be one whole token of that text, with no separator, not a comment, and stand
// right after some "FontName" token.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "fonts/font_file.h"

namespace {

void CheckName(const std::vector<unsigned char>& data) {
  const auto name = trm::FindFontName(data);
  if (!name) return;
  const std::string_view text(reinterpret_cast<const char*>(data.data()), data.size());
  if (name->empty() || name->front() == '%') std::abort();
  if (name->find_first_of(" \t/\r\n") != std::string::npos) std::abort();
  bool found = false;
  for (std::size_t key = text.find("FontName"); key != std::string_view::npos && !found;
       key = text.find("FontName", key + 1)) {
    std::size_t at = key + 8;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t' || text[at] == '/')) ++at;
    found = at > key + 8 && text.substr(at, name->size()) == *name &&
            (at + name->size() == text.size() ||
             std::string_view(" \t/\r\n").find(text[at + name->size()]) != std::string_view::npos);
  }
  if (!found) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<unsigned char> input(data, data + size);  // exact-size heap copy for ASan
  CheckName(input);
  (void)trm::IsSegmentedFont(input);
  const std::vector<unsigned char> plain = trm::UnwrapSegmentedFont(input);
  // Walk the segments again and compare what each one contributed.
  std::size_t pos = 0;
  std::size_t out = 0;
  while (size - pos >= 6 && data[pos] == 0x80 && (data[pos + 1] == 1 || data[pos + 1] == 2)) {
    const std::uint32_t length = data[pos + 2] | (data[pos + 3] << 8) | (data[pos + 4] << 16) |
                                 (static_cast<std::uint32_t>(data[pos + 5]) << 24);
    pos += 6;
    if (length > size - pos) break;
    if (out + length > plain.size() || std::memcmp(plain.data() + out, data + pos, length) != 0) {
      std::abort();
    }
    out += length;
    pos += length;
  }
  if (out != plain.size()) std::abort();
  CheckName(plain);
  return 0;
}
