#include "encoding/ascii85.h"

#include <sys/mman.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <functional>
#include <system_error>
#include <thread>
#include <vector>

namespace trm {
namespace {

constexpr std::uint32_t k85Squared = 85 * 85;
// Inputs below this size are not worth starting threads for.
constexpr std::size_t kParallelThreshold = std::size_t{1} << 20;
// Work is cut into chunks of whole lines of about this many source bytes; the cut points depend
// only on the layout, never on the number of cores.
constexpr std::size_t kChunkBytes = std::size_t{256} << 10;

// Two base-85 digits for every value below 85 * 85, so a group needs only two divisions.
struct DigitPairs {
  std::array<char, 2 * k85Squared> chars{};
  constexpr DigitPairs() {
    for (std::uint32_t v = 0; v < k85Squared; ++v) {
      chars[2 * v] = static_cast<char>('!' + v / 85);
      chars[2 * v + 1] = static_cast<char>('!' + v % 85);
    }
  }
};
constexpr DigitPairs kPairs;

// Runs work(0) ... work(count - 1) on up to one thread per core; the calling thread takes part.
void RunChunks(std::size_t count, const std::function<void(std::size_t)>& work) {
  const std::size_t cores = std::max(1u, std::thread::hardware_concurrency());
  const std::size_t threads = std::min<std::size_t>({cores, count, 8});
  if (threads <= 1) {
    for (std::size_t i = 0; i < count; ++i) work(i);
    return;
  }
  std::atomic<std::size_t> next{0};
  auto loop = [&] {
    for (std::size_t i = next++; i < count; i = next++) work(i);
  };
  std::vector<std::thread> helpers;
  helpers.reserve(threads - 1);
  for (std::size_t i = 1; i < threads; ++i) {
    try {
      helpers.emplace_back(loop);
    } catch (const std::system_error&) {
      break;  // fewer helpers; the calling thread still finishes every chunk
    }
  }
  loop();
  for (auto& helper : helpers) helper.join();
}

// A text of `size` characters. Large texts ask for huge pages before their first touch: the
// zero fill of resize() then costs a few faults instead of one per 4 KiB page.
std::string AllocateText(std::size_t size) {
  std::string text;
  if (size >= kParallelThreshold) {
    text.reserve(size);
    const std::uintptr_t page = 4096;
    const auto start = (reinterpret_cast<std::uintptr_t>(text.data()) + page - 1) & ~(page - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(text.data()) + size) & ~(page - 1);
    // Only advice: without it the text is merely slower to fill.
    if (end > start) madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
  }
  text.resize(size);
  return text;
}

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

inline std::uint32_t LoadBigEndian(const unsigned char* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
         std::uint32_t{p[3]};
}

// The five digits of a value, most significant first.
inline void WriteFiveDigits(std::uint32_t v, char* out) {
  const std::uint32_t high = v / k85Squared;  // d0 d1 d2
  const std::uint32_t low = v - high * k85Squared;
  const std::uint32_t top = high / k85Squared;  // d0, below 85
  const std::uint32_t middle = high - top * k85Squared;
  out[0] = static_cast<char>('!' + top);
  std::memcpy(out + 1, &kPairs.chars[2 * middle], 2);
  std::memcpy(out + 3, &kPairs.chars[2 * low], 2);
}

char* EncodeGroups(const unsigned char* src, std::size_t groups, char* out) {
  for (std::size_t i = 0; i < groups; ++i, src += 4) {
    const std::uint32_t v = LoadBigEndian(src);
    if (v == 0) {
      *out++ = 'z';
    } else {
      WriteFiveDigits(v, out);
      out += 5;
    }
  }
  return out;
}

std::size_t CountZeroGroups(const unsigned char* src, std::size_t groups) {
  std::size_t zeros = 0;
  for (std::size_t i = 0; i < groups; ++i, src += 4) {
    std::uint32_t v;
    std::memcpy(&v, src, 4);
    zeros += v == 0 ? 1 : 0;
  }
  return zeros;
}

// Encodes the full groups [first, last) of the data; first is at a line start. `moreFollows`
// tells whether anything is encoded after group `last` (decides the "<~" after a closed block).
class GroupRange {
 public:
  GroupRange(const Layout& layout, const unsigned char* data, std::size_t totalGroups,
             bool partialFollows)
      : layout_(layout), data_(data), totalGroups_(totalGroups), partialFollows_(partialFollows) {}

  // Characters written after full group number `count` (1-based).
  std::size_t SeparatorsUpTo(std::size_t count) const {
    const std::size_t lines = count / layout_.groupsPerLine;
    if (!layout_.blocks) return lines;
    const std::size_t blocks = lines / layout_.linesPerBlock;
    // A line end is LF, a block end "~>" LF "<~": two or four characters more.
    std::size_t size = lines + 4 * blocks;
    if (blocks > 0 && count == totalGroups_ && lines % layout_.linesPerBlock == 0 &&
        count % layout_.groupsPerLine == 0 && !partialFollows_) {
      size -= 2;  // nothing follows the last block, so no "<~"
    }
    return size;
  }

  std::size_t Size(std::size_t first, std::size_t last, std::size_t zeros) const {
    return 5 * (last - first) - 4 * zeros + SeparatorsUpTo(last) - SeparatorsUpTo(first);
  }

  char* Encode(std::size_t first, std::size_t last, char* out) const {
    std::size_t group = first;
    while (group < last) {
      const std::size_t lineEnd = std::min(last, group + layout_.groupsPerLine);
      out = EncodeGroups(data_ + 4 * group, lineEnd - group, out);
      group = lineEnd;
      if (group % layout_.groupsPerLine != 0) break;  // only the very last line is short
      const std::size_t line = group / layout_.groupsPerLine;
      if (layout_.blocks && line % layout_.linesPerBlock == 0) {
        *out++ = '~';
        *out++ = '>';
        *out++ = '\n';
        if (group < totalGroups_ || partialFollows_) {
          *out++ = '<';
          *out++ = '~';
        }
      } else {
        *out++ = '\n';
      }
    }
    return out;
  }

 private:
  Layout layout_;
  const unsigned char* data_;
  std::size_t totalGroups_;
  bool partialFollows_;
};

}  // namespace

std::string EncodeAscii85(std::span<const unsigned char> data, std::size_t blockBytes,
                          std::size_t lineBytes) {
  const Layout layout = MakeLayout(blockBytes, lineBytes);
  const std::size_t totalGroups = data.size() / 4;
  const std::size_t partial = data.size() % 4;
  const GroupRange range(layout, data.data(), totalGroups, partial > 0);

  // The "~>" end marker is left out only when the last group closed a block.
  const bool endsWithBlock = layout.blocks && partial == 0 && totalGroups > 0 &&
                             totalGroups % layout.groupsPerLine == 0 &&
                             (totalGroups / layout.groupsPerLine) % layout.linesPerBlock == 0;
  const std::size_t head = layout.blocks ? 2 : 0;
  const std::size_t tail = (partial > 0 ? partial + 1 : 0) + (endsWithBlock ? 0 : 3);

  const std::size_t chunkLines = std::max<std::size_t>(1, kChunkBytes / (4 * layout.groupsPerLine));
  const std::size_t chunkGroups = chunkLines * layout.groupsPerLine;
  const std::size_t chunks =
      data.size() >= kParallelThreshold ? (totalGroups + chunkGroups - 1) / chunkGroups : 1;

  // Exact size first: every chunk's zero groups are counted, then each chunk knows its offset.
  std::vector<std::size_t> offsets(chunks + 1, 0);
  RunChunks(chunks, [&](std::size_t chunk) {
    const std::size_t first = chunk * chunkGroups;
    const std::size_t last = chunks == 1 ? totalGroups : std::min(totalGroups, first + chunkGroups);
    offsets[chunk + 1] =
        range.Size(first, last, CountZeroGroups(data.data() + 4 * first, last - first));
  });
  offsets[0] = head;
  for (std::size_t i = 1; i <= chunks; ++i) offsets[i] += offsets[i - 1];

  std::string text = AllocateText(offsets[chunks] + tail);
  char* const base = text.data();
  if (layout.blocks) std::memcpy(base, "<~", 2);
  RunChunks(chunks, [&](std::size_t chunk) {
    const std::size_t first = chunk * chunkGroups;
    const std::size_t last = chunks == 1 ? totalGroups : std::min(totalGroups, first + chunkGroups);
    range.Encode(first, last, base + offsets[chunk]);
  });

  char* out = base + offsets[chunks];
  if (partial > 0) {
    unsigned char last[4] = {0, 0, 0, 0};
    std::memcpy(last, data.data() + 4 * totalGroups, partial);
    char digits[5];
    WriteFiveDigits(LoadBigEndian(last), digits);
    std::memcpy(out, digits, partial + 1);
    out += partial + 1;
  }
  if (!endsWithBlock) std::memcpy(out, "~>\n", 3);
  return text;
}

}  // namespace trm
