// Input: one mode byte, then names separated by NUL. Each name is asked of the index and of a
// plain list that tries every entry in turn; the answers must agree before the name goes in.
// An odd mode byte adds every name, an even one only names nothing covers yet (as the job
// records do), so both ways a list can grow are tried.
#include <algorithm>

#include "frame/cover_index.h"
#include "fuzz_support.h"
#include "stream/wildcard.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Every name meets every entry: keep the quadratic work per input small.
  if (size == 0 || size > 2048) return 0;
  const bool addEvery = (data[0] & 1) != 0;
  const std::string_view names = fuzz::Text(data + 1, size - 1);

  trm::CoverIndex index;
  std::vector<std::string> list;
  std::size_t start = 0;
  while (start <= names.size()) {
    const std::size_t end = std::min(names.find('\0', start), names.size());
    const std::string_view name = names.substr(start, end - start);
    const bool covered = std::any_of(list.begin(), list.end(), [&](const std::string& entry) {
      return trm::IsCoveredBy(name, entry);
    });
    fuzz::Check(index.Covers(name) == covered);
    if (addEvery || !covered) {
      index.Add(name);
      list.emplace_back(name);
    }
    start = end + 1;
  }
  return 0;
}
