#pragma once
// One resource of a project: its name, where its file is on this machine, its type and scope,
// and the attributes its RESOURCE tag carried.

#include <string>
#include <vector>

#include "tpsdk/key_value_pair.h"

namespace tpsdk {

inline constexpr int kScopeLocal = 0;
inline constexpr int kScopeFolder = 1;
inline constexpr int kScopeGlobal = 2;

// The element's fields as GetFields and GetAllFields copy them out.
struct ElementFields {
  std::string name, localPath, type, description, mime, precaching;
  int scope = 0;
  int submissionOrder = 0;
  int jobTicketOrder = -1;  // GetAllFields only
  int jobTicketId = -1;     // GetAllFields only
  bool actionLogged = false;
  std::vector<KeyValuePair> attributes;
};

// Methods in the order of the element's operation table. Text setters copy their argument;
// a null argument stores nothing.
class ProjectElement {
 public:
  const char* GetName() const { return name_.c_str(); }
  void SetName(const char* name) { SetText(name_, name); }
  const char* GetLocalPath() const { return localPath_.c_str(); }
  void SetLocalPath(const char* path) { SetText(localPath_, path); }
  const char* GetJobTicketPath() const { return jobTicketPath_.c_str(); }
  void SetJobTicketPath(const char* path) { SetText(jobTicketPath_, path); }
  bool HasJobTicketPath() const { return !jobTicketPath_.empty(); }
  const char* GetType() const { return type_.c_str(); }
  void SetType(const char* type) { SetText(type_, type); }
  const char* GetDescription() const { return description_.c_str(); }
  void SetDescription(const char* description) { SetText(description_, description); }
  int GetScope() const { return scope_; }
  void SetScope(int scope) { scope_ = scope; }
  int GetSubmissionOrder() const { return submissionOrder_; }
  void SetSubmissionOrder(int order) { submissionOrder_ = order; }
  int GetJobTicketOrder() const { return jobTicketOrder_; }
  void SetJobTicketOrder(int order) { jobTicketOrder_ = order; }
  int GetJobTicketId() const { return jobTicketId_; }
  void SetJobTicketId(int id) {  // -1 means none
    jobTicketId_ = id;
    hasJobTicketId_ = id != -1;
  }
  bool GetActionLogged() const { return actionLogged_; }
  void SetActionLogged(bool logged) { actionLogged_ = logged; }
  const char* GetMime() const { return mime_.c_str(); }
  void SetMime(const char* mime) { SetText(mime_, mime); }
  const char* GetPrecaching() const { return precaching_.c_str(); }
  void SetPrecaching(const char* precaching) { SetText(precaching_, precaching); }
  // Value of the first extra attribute of that name (case counts); null when there is none.
  const char* GetAttribute(const char* name) const;
  // A value replaces the first attribute of that name or is appended; null removes it.
  void SetAttribute(const char* name, const char* value);
  const std::vector<KeyValuePair>& GetAttributes() const { return attributes_; }
  void GetFields(ElementFields& out) const;     // all but job ticket order and ID
  void GetAllFields(ElementFields& out) const;  // every field
  void Clear();                                 // back to a new element's values
  bool HasJobTicketId() const { return hasJobTicketId_; }

 private:
  static void SetText(std::string& field, const char* text) {
    if (text) field = text;
  }

  std::string name_, localPath_, type_, description_;
  int scope_ = 0;
  int submissionOrder_ = 0;
  int jobTicketOrder_ = -1;
  int jobTicketId_ = -1;
  std::string jobTicketPath_;
  bool actionLogged_ = false;
  std::string mime_, precaching_;
  std::vector<KeyValuePair> attributes_;
  bool hasJobTicketId_ = false;
};

}  // namespace tpsdk
