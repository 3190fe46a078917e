#pragma once
// The small text containers of the project model.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tpsdk {

// An ordered list of copied texts.
class TextList {
 public:
  std::size_t Count() const { return items_.size(); }
  const char* Item(std::size_t index) const;  // null past the end
  void Append(std::string_view text) { items_.emplace_back(text); }
  void Insert(std::size_t before, std::string_view text);  // appends past the end
  void Remove(std::size_t index);                          // nothing past the end
  void Clear() { items_.clear(); }
  const std::vector<std::string>& Items() const { return items_; }

 private:
  std::vector<std::string> items_;
};

// Splits a text at any of a set of separator characters; runs of separators count as one and
// empty pieces are skipped.
class TextSplitter {
 public:
  TextSplitter(std::string_view text, std::string_view separators)
      : text_(text), separators_(separators) {}
  // The next piece; false when there is none left.
  bool Next(std::string_view& piece);

 private:
  std::string_view text_;
  std::string_view separators_;
  std::size_t position_ = 0;
};

}  // namespace tpsdk
