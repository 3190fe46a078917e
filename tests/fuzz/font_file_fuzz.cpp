// Input: a font file, plain or segmented (or anything). Unwrapping must stay inside the data
// and keep every segment's bytes in order. The name found in the input and in its unwrapped
// form must be one whole token of that text, with no separator, not a comment, and stand
// right after some "FontName" token.
#include <cstring>

#include "fonts/font_file.h"
#include "fuzz_support.h"

namespace {

void CheckName(const std::vector<unsigned char>& data) {
  const auto name = trm::FindFontName(data);
  if (!name) return;
  const std::string_view text = fuzz::Text(data.data(), data.size());
  fuzz::Check(!name->empty() && name->front() != '%' &&
              name->find_first_of(" \t/\r\n") == std::string::npos);
  bool found = false;
  for (std::size_t key = text.find("FontName"); key != std::string_view::npos && !found;
       key = text.find("FontName", key + 1)) {
    std::size_t at = key + 8;
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t' || text[at] == '/')) ++at;
    found = at > key + 8 && text.substr(at, name->size()) == *name &&
            (at + name->size() == text.size() ||
             std::string_view(" \t/\r\n").find(text[at + name->size()]) != std::string_view::npos);
  }
  fuzz::Check(found);
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
    const std::uint32_t length = fuzz::LittleEndian32(data + pos + 2);
    pos += 6;
    if (length > size - pos) break;
    fuzz::Check(out + length <= plain.size() &&
                std::memcmp(plain.data() + out, data + pos, length) == 0);
    out += length;
    pos += length;
  }
  fuzz::Check(out == plain.size());
  CheckName(plain);
  return 0;
}
