#include "encoding/parallel_text.h"

#include <sys/mman.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <system_error>
#include <thread>
#include <vector>

namespace trm {

// Runs work(0) ... work(count - 1) on up to one thread per core; the calling thread takes part.
void RunChunks(std::size_t count, const std::function<void(std::size_t)>& work) {
  // Asking for the cores reads a system file: not worth it for one chunk, the usual case.
  const std::size_t threads =
      count <= 1
          ? count
          : std::min<std::size_t>({std::max(1u, std::thread::hardware_concurrency()), count, 8});
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

// Large texts ask for huge pages before their first touch: the zero fill of resize() then
// costs a few faults instead of one per 4 KiB page.
void SizeText(std::string& text, std::size_t size) {
  if (size >= kParallelThreshold && text.capacity() < size) {
    text.clear();
    text.reserve(size);
    const std::uintptr_t page = 4096;
    const auto start = (reinterpret_cast<std::uintptr_t>(text.data()) + page - 1) & ~(page - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(text.data()) + size) & ~(page - 1);
    // Only advice: without it the text is merely slower to fill.
    if (end > start) madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
  }
  text.resize(size);
}

}  // namespace trm
