#include "tpsdk/project_element.h"

namespace tpsdk {

const char* ProjectElement::GetAttribute(const char* name) const {
  return FindValue(attributes_, name);
}

void ProjectElement::SetAttribute(const char* name, const char* value) {
  StoreValue(attributes_, name, value);
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
