#include "testing/hostsim/record_audit.h"

namespace hostsim {

std::string Describe(const ChangedBytes& changed) {
  return changed.record + " bytes " + std::to_string(changed.offset) + " to " +
         std::to_string(changed.offset + changed.length - 1);
}

std::ostream& operator<<(std::ostream& out, const ChangedBytes& changed) {
  return out << Describe(changed);
}

void RecordAudit::Watch(std::string name, const void* record, std::size_t size) {
  const auto* bytes = static_cast<const unsigned char*>(record);
  watched_.push_back({std::move(name), bytes, std::vector<unsigned char>(bytes, bytes + size)});
}

std::vector<ChangedBytes> RecordAudit::Changes() const {
  std::vector<ChangedBytes> changes;
  for (const Watched& watched : watched_) {
    const std::size_t size = watched.before.size();
    for (std::size_t at = 0; at < size;) {
      if (watched.record[at] == watched.before[at]) {
        ++at;
        continue;
      }
      const std::size_t start = at;
      while (at < size && watched.record[at] != watched.before[at]) ++at;
      changes.push_back({watched.name, start, at - start});
    }
  }
  return changes;
}

}  // namespace hostsim
