#include "tpsdk/modification_record.h"

namespace tpsdk {

const char* ModificationRecord::GetAction(std::size_t index) const {
  return index < actions_.size() ? actions_[index].c_str() : nullptr;
}

void ModificationRecord::Clear() {
  date_.clear();
  user_.clear();
  hasDate_ = false;
  hasUser_ = false;
  actions_.clear();
}

}  // namespace tpsdk
