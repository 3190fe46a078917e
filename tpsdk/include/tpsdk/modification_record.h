#pragma once
// One MODIFICATION of a project's history: when, by whom, and the actions made.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tpsdk {

class ModificationRecord {
 public:
  const char* GetDate() const { return date_.c_str(); }
  void SetDate(std::string_view date) {
    date_ = date;
    hasDate_ = true;
  }
  bool HasDate() const { return hasDate_; }
  const char* GetUser() const { return user_.c_str(); }
  void SetUser(std::string_view user) {
    user_ = user;
    hasUser_ = true;
  }
  bool HasUser() const { return hasUser_; }
  void AddAction(std::string_view action) { actions_.emplace_back(action); }
  std::size_t GetActionCount() const { return actions_.size(); }
  const char* GetAction(std::size_t index) const;  // null past the end
  void Clear();                                    // date and user unset, no actions

 private:
  std::string date_;
  std::string user_;
  bool hasDate_ = false;
  bool hasUser_ = false;
  std::vector<std::string> actions_;
};

}  // namespace tpsdk
