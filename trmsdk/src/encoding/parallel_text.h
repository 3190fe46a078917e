#pragma once
// What the encoders share to use every core on large inputs.

#include <cstddef>
#include <functional>
#include <string>

namespace trm {

// Inputs below this size are not worth starting threads for.
inline constexpr std::size_t kParallelThreshold = std::size_t{1} << 20;

// Whether an encoder may spread a large input over every core, or keeps to the calling thread
// because another thread (the writer of a streamed file) already keeps the other core busy.
enum class Cores { kAll, kCallerOnly };

// Runs work(0) ... work(count - 1) on up to one thread per core; the calling thread takes part.
void RunChunks(std::size_t count, const std::function<void(std::size_t)>& work);

// Gives the text `size` characters, to be overwritten whole; storage it already has is reused.
void SizeText(std::string& text, std::size_t size);

}  // namespace trm
