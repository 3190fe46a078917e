#include "tpsdk/project_element.h"

#include <algorithm>
#include <cstring>

namespace tpsdk {

namespace {

auto FindAttribute(std::vector<KeyValuePair>& attributes, const char* name) {
  return std::find_if(attributes.begin(), attributes.end(), [name](const KeyValuePair& pair) {
    return std::strcmp(pair.GetKey(), name) == 0;
  });
}

}  // namespace

const char* ProjectElement::GetAttribute(const char* name) const {
  if (!name) return nullptr;
  for (const KeyValuePair& pair : attributes_) {
    if (std::strcmp(pair.GetKey(), name) == 0) return pair.GetValue();
  }
  return nullptr;
}

void ProjectElement::SetAttribute(const char* name, const char* value) {
  if (!name) return;
  auto found = FindAttribute(attributes_, name);
  if (!value) {
    if (found != attributes_.end()) attributes_.erase(found);
  } else if (found != attributes_.end()) {
    found->SetValue(value);
  } else {
    attributes_.emplace_back(name, value);
  }
}

void ProjectElement::GetFields(ElementFields& out) const {
  out.name = name_;
  out.localPath = localPath_;
  out.type = type_;
  out.description = description_;
  out.scope = scope_;
  out.submissionOrder = submissionOrder_;
  out.actionLogged = actionLogged_;
  out.mime = mime_;
  out.precaching = precaching_;
  out.attributes = attributes_;
}

void ProjectElement::GetAllFields(ElementFields& out) const {
  GetFields(out);
  out.jobTicketOrder = jobTicketOrder_;
  out.jobTicketId = jobTicketId_;
}

void ProjectElement::Clear() {
  *this = ProjectElement();
}

}  // namespace tpsdk
