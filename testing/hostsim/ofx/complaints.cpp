#include "testing/hostsim/ofx/complaints.h"

#include <utility>

namespace hostsim::ofx {

std::string_view KindName(ComplaintKind kind) {
  switch (kind) {
    case ComplaintKind::kRefusal:
      return "refusal";
    case ComplaintKind::kLeak:
      return "leak";
    case ComplaintKind::kSourceWritten:
      return "source written";
    case ComplaintKind::kOutsideOutput:
      return "write outside the output";
    case ComplaintKind::kDescription:
      return "description";
  }
  return "unknown";
}

std::ostream& operator<<(std::ostream& out, const Complaint& complaint) {
  return out << KindName(complaint.kind) << ": " << complaint.what;
}

void ComplaintLog::Add(ComplaintKind kind, std::string what) {
  const std::lock_guard lock(mutex_);
  entries_.push_back({kind, std::move(what)});
}

std::vector<Complaint> ComplaintLog::Entries() const {
  const std::lock_guard lock(mutex_);
  return entries_;
}

void ComplaintLog::Clear() {
  const std::lock_guard lock(mutex_);
  entries_.clear();
}

}  // namespace hostsim::ofx
