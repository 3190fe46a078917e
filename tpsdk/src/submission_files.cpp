// Submission files and job tickets: the two sorted lists, linking each submission file to the
// local file of its job ticket, and the consistency checks run at the end of validation.

#include <algorithm>
#include <cstdint>
#include <span>
#include <string_view>
#include <unordered_map>

#include "tpsdk/message_catalogue.h"
#include "tpsdk/project.h"

namespace tpsdk {

namespace {

constexpr std::string_view kSubmissionType = "sub";
constexpr std::string_view kJobTicketType = "jtk";

bool IsSubmissionFile(const ProjectElement& element) {
  return element.GetType() == kSubmissionType;
}

bool IsJobTicket(const ProjectElement& element) {
  return element.GetType() == kJobTicketType;
}

// Orders compare as unsigned 32-bit numbers, so that a negative order sorts last.
std::uint32_t UnsignedOrder(int order) {
  return static_cast<std::uint32_t>(order);
}

std::uint32_t SubmissionKey(const ProjectElement* element) {
  return UnsignedOrder(element->GetSubmissionOrder());
}

std::uint32_t TicketOrderKey(const ProjectElement* element) {
  return UnsignedOrder(element->GetJobTicketOrder());
}

int TicketIdKey(const ProjectElement* element) {
  return element->GetJobTicketId();
}

// First position whose key is not below key, in a list sorted by keyOf.
template <typename Key, typename KeyOf>
std::vector<ProjectElement*>::iterator LowerBound(std::vector<ProjectElement*>& list, Key key,
                                                  KeyOf keyOf) {
  return std::lower_bound(list.begin(), list.end(), key,
                          [&](const ProjectElement* item, Key k) { return keyOf(item) < k; });
}

// Takes element out of a list sorted by keyOf; searches the whole list when the element's key
// changed after it was placed.
template <typename KeyOf>
void EraseFrom(std::vector<ProjectElement*>& list, const ProjectElement* element, KeyOf keyOf) {
  auto at = LowerBound(list, keyOf(element), keyOf);
  while (at != list.end() && *at != element && keyOf(*at) == keyOf(element)) ++at;
  if (at == list.end() || *at != element) at = std::find(list.begin(), list.end(), element);
  if (at != list.end()) list.erase(at);
}

struct LinkMode {
  bool byOrder = false;
  bool byId = false;
};

// Every submission file among elements gets the local path of the last job ticket (in element
// order) that matches it: by ID in ID mode, by order in order mode. `extra` counts as one more
// element after the others; `excluded` is skipped. Hash maps keep this linear in the element
// count, which matters for projects with thousands of submission files.
void LinkOver(std::span<const std::unique_ptr<ProjectElement>> elements,
              const ProjectElement* extra, const ProjectElement* excluded, LinkMode mode) {
  struct Match {
    std::size_t position;
    const ProjectElement* ticket;
  };
  std::unordered_map<int, Match> byId;
  std::unordered_map<int, Match> byOrder;
  const auto note = [&](const ProjectElement* ticket, std::size_t position) {
    if (mode.byId) byId.insert_or_assign(ticket->GetJobTicketId(), Match{position, ticket});
    if (mode.byOrder) {
      byOrder.insert_or_assign(ticket->GetJobTicketOrder(), Match{position, ticket});
    }
  };
  for (std::size_t i = 0; i < elements.size(); ++i) {
    const ProjectElement* element = elements[i].get();
    if (element != excluded && IsJobTicket(*element)) note(element, i);
  }
  if (extra) note(extra, elements.size());

  for (const auto& element : elements) {
    if (element.get() == excluded || !IsSubmissionFile(*element)) continue;
    const Match* last = nullptr;
    if (mode.byId) {
      const auto found = byId.find(element->GetJobTicketId());
      if (found != byId.end()) last = &found->second;
    }
    if (mode.byOrder) {
      const auto found = byOrder.find(element->GetSubmissionOrder());
      if (found != byOrder.end() && (!last || found->second.position > last->position)) {
        last = &found->second;
      }
    }
    element->SetJobTicketPath(last ? last->ticket->GetLocalPath() : "");
  }
}

}  // namespace

const char* Project::GetSubmissionFilePath(std::size_t index) const {
  return index < submissionFiles_.size() ? submissionFiles_[index]->GetLocalPath() : "";
}

bool Project::IsUnorderedSubmissionFile(std::size_t index) const {
  if (index >= submissionFiles_.size()) return false;
  const std::string_view path = submissionFiles_[index]->GetLocalPath();
  const std::size_t slash = path.rfind('/');
  const std::string name(slash == std::string_view::npos ? path : path.substr(slash + 1));
  const long found = FindElement(name.c_str());
  if (found < 0) return false;
  const ProjectElement& element = *elements_[static_cast<std::size_t>(found)];
  return IsSubmissionFile(element) && element.GetSubmissionOrder() == 0;
}

const char* Project::GetSubmissionJobTicketPath(std::size_t index) const {
  return index < submissionFiles_.size() ? submissionFiles_[index]->GetJobTicketPath() : "";
}

int Project::AddSubmissionFile(ProjectElement* element) {
  const auto at = LowerBound(submissionFiles_, SubmissionKey(element), SubmissionKey);
  if (at != submissionFiles_.end() && SubmissionKey(*at) == SubmissionKey(element)) {
    Log(kError, msg::kDuplicateSubmissionOrder,
        {element->GetName(), element->GetSubmissionOrder()});
  } else {
    submissionFiles_.insert(at, element);
  }
  return GetStatusMask();
}

void Project::RemoveSubmissionFile(const ProjectElement* element) {
  EraseFrom(submissionFiles_, element, SubmissionKey);
}

int Project::AddJobTicket(ProjectElement* element) {
  if (element->HasJobTicketId()) {
    usesJobTicketId_ = true;
  } else {
    usesJobTicketOrder_ = true;
  }
  bool added = false;
  if (usesJobTicketOrder_ && usesJobTicketId_) {
    Log(kError, msg::kJobTicketMix);
  } else if (usesJobTicketId_) {
    const auto at = LowerBound(jobTickets_, TicketIdKey(element), TicketIdKey);
    if (at != jobTickets_.end() && (*at)->HasJobTicketId() &&
        TicketIdKey(*at) == TicketIdKey(element)) {
      Log(kError, msg::kDuplicateJobTicketId, {element->GetName(), element->GetJobTicketId()});
    } else {
      jobTickets_.insert(at, element);
      added = true;
    }
  } else {
    const auto at = LowerBound(jobTickets_, TicketOrderKey(element), TicketOrderKey);
    if (at != jobTickets_.end() && !(*at)->HasJobTicketId() &&
        TicketOrderKey(*at) == TicketOrderKey(element)) {
      Log(kError, msg::kDuplicateJobTicketOrder,
          {element->GetName(), element->GetJobTicketOrder()});
    } else {
      jobTickets_.insert(at, element);
      added = true;
    }
  }

  // The caller appends an accepted ticket right after this returns; it is linked now as if it
  // were there already, so that adding a ticket links its submission file at once.
  const bool pending = added && (elements_.empty() || elements_.back().get() != element);
  if (deferredLinks_.active) {
    deferredLinks_.pending = true;
    deferredLinks_.count = elements_.size() + (pending ? 1 : 0);
    deferredLinks_.byOrder = usesJobTicketOrder_;
    deferredLinks_.byId = usesJobTicketId_;
  } else {
    LinkOver(elements_, pending ? element : nullptr, nullptr,
             {usesJobTicketOrder_, usesJobTicketId_});
  }
  return GetStatusMask();
}

void Project::RemoveJobTicket(const ProjectElement* element) {
  const std::string_view ticketPath = element->GetLocalPath();
  // A ticket without a local file was never anyone's, however many submission files have none.
  if (!ticketPath.empty()) {
    for (ProjectElement* submission : submissionFiles_) {
      if (submission->GetJobTicketPath() == ticketPath) {
        submission->SetJobTicketPath("");
        submission->SetJobTicketId(-1);
      }
    }
  }
  if (usesJobTicketId_ && !usesJobTicketOrder_) {
    EraseFrom(jobTickets_, element, TicketIdKey);
  } else {
    EraseFrom(jobTickets_, element, TicketOrderKey);
  }
  if (jobTickets_.empty()) usesJobTicketOrder_ = usesJobTicketId_ = false;
  // The ticket is still in the element list until its caller takes it out; it must not be
  // linked again on its way out.
  LinkOver(elements_, nullptr, element, {usesJobTicketOrder_, usesJobTicketId_});
}

int Project::LinkJobTickets() {
  LinkOver(elements_, nullptr, nullptr, {usesJobTicketOrder_, usesJobTicketId_});
  return 0;
}

void Project::LinkJobTicketsOver(std::size_t count) {
  LinkOver(std::span(elements_).first(std::min(count, elements_.size())), nullptr, nullptr,
           {usesJobTicketOrder_, usesJobTicketId_});
}

void Project::DeferJobTicketLinks() {
  deferredLinks_ = DeferredLinks{};
  deferredLinks_.active = true;
}

void Project::FinishJobTicketLinks() {
  const DeferredLinks deferred = deferredLinks_;
  deferredLinks_ = DeferredLinks{};
  if (!deferred.pending) return;
  LinkOver(std::span(elements_).first(std::min(deferred.count, elements_.size())), nullptr, nullptr,
           {deferred.byOrder, deferred.byId});
}

void Project::CheckJobTickets() {
  LinkJobTickets();
  const auto checkMime = [this] {
    for (const ProjectElement* ticket : jobTickets_) {
      if (*ticket->GetMime() == '\0') {
        Log(kError, msg::kJobTicketNoMime, {ticket->GetJobTicketOrder()});
      }
    }
  };
  if (usesJobTicketOrder_) {
    if (jobTickets_.size() != submissionFiles_.size()) {
      Log(kError, msg::kJobTicketCountMismatch, {jobTickets_.size(), submissionFiles_.size()});
    } else {
      checkMime();
      for (std::size_t i = 0; i < jobTickets_.size(); ++i) {
        const int submissionOrder = submissionFiles_[i]->GetSubmissionOrder();
        const int ticketOrder = jobTickets_[i]->GetJobTicketOrder();
        if (submissionOrder != ticketOrder) {
          Log(kError, msg::kSubmissionOrderOutOfSync, {submissionOrder, ticketOrder});
          break;
        }
      }
    }
  }
  if (usesJobTicketId_) {
    checkMime();
    for (const ProjectElement* submission : submissionFiles_) {
      if (submission->HasJobTicketId() && !submission->HasJobTicketPath()) {
        Log(kError, msg::kMissingJobTicketId,
            {submission->GetSubmissionOrder(), submission->GetJobTicketId()});
        break;
      }
    }
  }
  if (usesJobTicketOrder_ && usesJobTicketId_) Log(kError, msg::kJobTicketMix);
}

}  // namespace tpsdk
