#pragma once
// What an interpreter printed, bounded: a job printing without end must not fill kmsim's
// memory, and the end of the output (where an error is told) is what matters.

#include <cstdint>
#include <string>
#include <string_view>

namespace kmsim {

class OutputTail {
 public:
  explicit OutputTail(std::size_t limit) : limit_(limit) {}

  void Append(std::string_view bytes);
  // The last bytes printed, at most the limit.
  std::string Text() const;
  std::uint64_t Total() const { return total_; }

 private:
  std::size_t limit_;
  std::string buffer_;
  std::uint64_t total_ = 0;
};

// Text a job printed, made safe for a terminal: line ends and tabs stay, every other byte
// outside printable ASCII becomes \xHH and "\" becomes "\\".
std::string TerminalText(std::string_view bytes);

}  // namespace kmsim
