#include "output_tail.h"

namespace kmsim {

void OutputTail::Append(std::string_view bytes) {
  total_ += bytes.size();
  if (bytes.size() >= limit_) {
    buffer_.assign(bytes.substr(bytes.size() - limit_));
    return;
  }
  buffer_.append(bytes);
  // Trimmed in batches, so that a flood of small writes costs no copy each.
  if (buffer_.size() >= 2 * limit_) buffer_.erase(0, buffer_.size() - limit_);
}

std::string OutputTail::Text() const {
  return buffer_.size() <= limit_ ? buffer_ : buffer_.substr(buffer_.size() - limit_);
}

std::string TerminalText(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size());
  for (char ch : bytes) {
    const auto c = static_cast<unsigned char>(ch);
    if (c == '\\') {
      out += "\\\\";
    } else if ((c >= ' ' && c <= '~') || c == '\n' || c == '\t') {
      out.push_back(ch);
    } else {
      out += "\\x";
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 15]);
    }
  }
  return out;
}

}  // namespace kmsim
