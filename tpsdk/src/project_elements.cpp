// Adding, changing and removing a project's elements, and recording what was done.

#include <algorithm>
#include <cstring>

#include "platform/file_helpers.h"
#include "platform/path_kind.h"
#include "tpsdk/message_catalogue.h"
#include "tpsdk/project.h"

namespace tpsdk {

namespace {

constexpr std::size_t kAppend = static_cast<std::size_t>(-1);

bool IsType(const ProjectElement& element, const char* type) {
  return std::strcmp(element.GetType(), type) == 0;
}

}  // namespace

int Project::AddElement(std::unique_ptr<ProjectElement>& element) {
  return AddOrInsert(element, kAppend);
}

int Project::InsertElement(std::unique_ptr<ProjectElement>& element, std::size_t position) {
  return AddOrInsert(element, position);
}

int Project::AddOrInsert(std::unique_ptr<ProjectElement>& element, std::size_t position) {
  log_.Clear();
  if (!element) return kError;
  if (ContainsElement(*element)) {
    Log(kError, msg::kDuplicateElement, {element->GetName()});
    return GetStatusMask();
  }
  if (platform::KindOf(element->GetLocalPath()) != platform::PathKind::kRegular) {
    Log(kError, msg::kResourceNotFound, {element->GetLocalPath()});
    return GetStatusMask();
  }
  const bool isJobTicket = IsType(*element, "jtk");
  if (IsType(*element, "sub") && (AddSubmissionFile(element.get()) & kError)) {
    return GetStatusMask();
  }
  if (isJobTicket && (AddJobTicket(element.get()) & kError)) return GetStatusMask();
  AddAction(FormatMessage("Add '%s' file '%s'", {element->GetType(), element->GetName()}));
  auto at = position < elements_.size() ? elements_.begin() + static_cast<long>(position)
                                        : elements_.end();
  elements_.insert(at, std::move(element));
  // The ticket joined the list before it was an element: link again so that its submission
  // file sees it now.
  if (isJobTicket) LinkJobTickets();
  modified_ = true;
  return GetStatusMask();
}

long Project::FindElement(const char* name) const {
  if (!name) return -1;
  for (std::size_t i = 0; i < elements_.size(); ++i) {
    if (std::strcmp(elements_[i]->GetName(), name) == 0) return static_cast<long>(i);
  }
  return -1;
}

bool Project::ContainsElement(const ProjectElement& element) const {
  return FindElement(element.GetName()) != -1;
}

int Project::ModifyElement(const ProjectElement& element) {
  const long index = FindElement(element.GetName());
  if (index < 0) return GetStatusMask();
  ProjectElement& stored = *elements_[static_cast<std::size_t>(index)];
  if (!stored.GetActionLogged()) {
    stored.SetActionLogged(true);
    AddAction(FormatMessage("Modify '%s' file '%s'", {stored.GetType(), stored.GetName()}));
  }
  modified_ = true;
  return GetStatusMask();
}

int Project::RemoveElement(const ProjectElement& element) {
  log_.Clear();
  const long index = FindElement(element.GetName());
  if (index < 0) return GetStatusMask();
  // Out of the element list first, so that relinking the job tickets cannot find it again.
  std::unique_ptr<ProjectElement> removed = std::move(elements_[static_cast<std::size_t>(index)]);
  elements_.erase(elements_.begin() + index);
  if (IsType(*removed, "sub")) RemoveSubmissionFile(removed.get());
  if (IsType(*removed, "jtk")) RemoveJobTicket(removed.get());
  AddAction(FormatMessage("Remove '%s' file '%s'", {removed->GetType(), removed->GetName()}));
  modified_ = true;
  if (removed->GetScope() == kScopeLocal &&
      platform::KindOf(removed->GetLocalPath(), platform::Links::kDoNotFollow) !=
          platform::PathKind::kMissing) {
    platform::RemoveFile(platform::TextObject(removed->GetLocalPath()));
  }
  return GetStatusMask();
}

std::unique_ptr<ProjectElement> Project::DetachElement(const ProjectElement& element) {
  log_.Clear();
  const long index = FindElement(element.GetName());
  if (index < 0) return nullptr;
  std::unique_ptr<ProjectElement> detached = std::move(elements_[static_cast<std::size_t>(index)]);
  elements_.erase(elements_.begin() + index);
  if (IsType(*detached, "sub")) RemoveSubmissionFile(detached.get());
  if (IsType(*detached, "jtk")) RemoveJobTicket(detached.get());
  return detached;
}

int Project::SetElementDescription(const ProjectElement& element, const char* description) {
  const long index = FindElement(element.GetName());
  if (index < 0) {
    Log(kError, msg::kElementNotFound, {element.GetName()});
    return GetStatusMask();
  }
  elements_[static_cast<std::size_t>(index)]->SetDescription(description);
  modified_ = true;
  return GetStatusMask();
}

void Project::AddAction(std::string_view text) {
  if (!recordModifications_) return;
  if (!currentModification_.HasDate()) {
    if (currentDate_.empty()) {
      Log(kError, msg::kCurrentDateMissing);
      currentDate_ = "Unknown";
    }
    currentModification_.SetDate(currentDate_);
  }
  if (!currentModification_.HasUser()) {
    if (currentUser_.empty()) {
      Log(kError, msg::kCurrentUserMissing);
      currentUser_ = "Unknown";
    }
    currentModification_.SetUser(currentUser_);
  }
  currentModification_.AddAction(text);
  modified_ = true;
}

}  // namespace tpsdk
