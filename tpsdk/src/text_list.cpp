#include "tpsdk/text_list.h"

#include <algorithm>

namespace tpsdk {

const char* TextList::Item(std::size_t index) const {
  return index < items_.size() ? items_[index].c_str() : nullptr;
}

void TextList::Insert(std::size_t before, std::string_view text) {
  items_.emplace(items_.begin() + static_cast<long>(std::min(before, items_.size())), text);
}

void TextList::Remove(std::size_t index) {
  if (index < items_.size()) items_.erase(items_.begin() + static_cast<long>(index));
}

bool TextSplitter::Next(std::string_view& piece) {
  while (position_ < text_.size() && separators_.find(text_[position_]) != std::string_view::npos) {
    ++position_;
  }
  if (position_ >= text_.size()) return false;
  std::size_t end = text_.find_first_of(separators_, position_);
  if (end == std::string_view::npos) end = text_.size();
  piece = text_.substr(position_, end - position_);
  position_ = end;
  return true;
}

}  // namespace tpsdk
