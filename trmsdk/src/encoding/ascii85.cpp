#include "encoding/ascii85.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "encoding/ascii85_kernels.h"
#include "encoding/cpu_dispatch.h"

namespace trm {
namespace {

struct Layout {
  std::size_t groupsPerLine;
  std::size_t linesPerBlock;
  bool blocks;
};

Layout MakeLayout(std::size_t blockBytes, std::size_t lineBytes) {
  Layout layout{};
  layout.groupsPerLine = lineBytes > 0 ? lineBytes / 4 : (blockBytes > 0 ? blockBytes / 4 : 20);
  layout.linesPerBlock = lineBytes > 0 ? blockBytes / lineBytes : 1;
  // Lines or blocks smaller than one unit would end after every unit anyway.
  layout.groupsPerLine = std::max<std::size_t>(layout.groupsPerLine, 1);
  layout.linesPerBlock = std::max<std::size_t>(layout.linesPerBlock, 1);
  layout.blocks = blockBytes > 0;
  return layout;
}

// Characters written after the full groups: line ends and block markers. `partialFollows`: a
// final group of 1 to 3 bytes comes after the last full group (a block closed there is then
// followed by "<~").
std::size_t SeparatorSize(const Layout& layout, std::size_t groups, bool partialFollows) {
  const std::size_t lines = groups / layout.groupsPerLine;
  if (!layout.blocks) return lines;
  const std::size_t blocks = lines / layout.linesPerBlock;
  // A line end is LF, a block end "~>" LF "<~": two or four characters more.
  std::size_t size = lines + 4 * blocks;
  if (blocks > 0 && lines % layout.linesPerBlock == 0 && groups % layout.groupsPerLine == 0 &&
      !partialFollows) {
    size -= 2;  // nothing follows the last block, so no "<~"
  }
  return size;
}

// The full groups, line by line, with their line ends and block markers.
char* EncodeLines(const Layout& layout, const unsigned char* data, std::size_t groups,
                  bool partialFollows, char* out) {
  static const Ascii85Kernel kernel = BestAscii85Kernel();
  std::size_t group = 0;
  while (group < groups) {
    const std::size_t lineEnd = std::min(groups, group + layout.groupsPerLine);
    out = EncodeAscii85Groups(kernel, data + 4 * group, lineEnd - group, out);
    group = lineEnd;
    if (group % layout.groupsPerLine != 0) break;  // only the very last line is short
    const std::size_t line = group / layout.groupsPerLine;
    if (layout.blocks && line % layout.linesPerBlock == 0) {
      std::memcpy(out, "~>\n", 3);
      out += 3;
      if (group < groups || partialFollows) {
        std::memcpy(out, "<~", 2);
        out += 2;
      }
    } else {
      *out++ = '\n';
    }
  }
  return out;
}

}  // namespace

std::string EncodeAscii85(std::span<const unsigned char> data, std::size_t blockBytes,
                          std::size_t lineBytes) {
  std::string text;
  EncodeAscii85Into(data, blockBytes, lineBytes, text);
  return text;
}

void EncodeAscii85Into(std::span<const unsigned char> data, std::size_t blockBytes,
                       std::size_t lineBytes, std::string& text) {
  const Layout layout = MakeLayout(blockBytes, lineBytes);
  const std::size_t groups = data.size() / 4;
  const std::size_t partial = data.size() % 4;

  // The "~>" end marker is left out only when the last group closed a block.
  const bool endsWithBlock = layout.blocks && partial == 0 && groups > 0 &&
                             groups % layout.groupsPerLine == 0 &&
                             (groups / layout.groupsPerLine) % layout.linesPerBlock == 0;
  const std::size_t head = layout.blocks ? 2 : 0;
  const std::size_t tail = (partial > 0 ? partial + 1 : 0) + (endsWithBlock ? 0 : 3);
  // Exact size first, so the text is written in place.
  text.resize(head + 5 * groups - 4 * CountZeroGroups(data.data(), groups) +
              SeparatorSize(layout, groups, partial > 0) + tail);

  char* out = text.data();
  if (layout.blocks) {
    std::memcpy(out, "<~", 2);
    out += 2;
  }
  out = EncodeLines(layout, data.data(), groups, partial > 0, out);
  if (partial > 0) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i) {
      value = value << 8 | (i < partial ? data[4 * groups + i] : 0u);
    }
    char digits[5];
    WriteAscii85Digits(value, digits);
    std::memcpy(out, digits, partial + 1);
    out += partial + 1;
  }
  if (!endsWithBlock) std::memcpy(out, "~>\n", 3);
}

}  // namespace trm
