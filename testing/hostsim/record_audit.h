// Which bytes of the host's records a command changed. The strict host
// remembers every record it hands the module before the command and compares
// after it, so a write anywhere but the module's own members is seen, whatever
// its offset or width.
#pragma once

#include <cstddef>
#include <ostream>
#include <string>
#include <vector>

namespace hostsim {

// A run of consecutive changed bytes in one record.
struct ChangedBytes {
  std::string record;
  std::size_t offset;
  std::size_t length;
  bool operator==(const ChangedBytes&) const = default;
};

// "PF_OutData bytes 4 to 11", for messages.
std::string Describe(const ChangedBytes& changed);
std::ostream& operator<<(std::ostream& out, const ChangedBytes& changed);

class RecordAudit {
 public:
  // Remembers the bytes of `record` as they are now, under `name`. The record
  // must outlive the audit.
  template <typename Record>
  void Watch(std::string name, const Record& record) {
    Watch(std::move(name), &record, sizeof record);
  }
  void Watch(std::string name, const void* record, std::size_t size);

  // Runs of changed bytes, in the order the records were watched.
  std::vector<ChangedBytes> Changes() const;

 private:
  struct Watched {
    std::string name;
    const unsigned char* record;
    std::vector<unsigned char> before;
  };
  std::vector<Watched> watched_;
};

}  // namespace hostsim
