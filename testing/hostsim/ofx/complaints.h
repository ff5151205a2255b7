// What the simulated host holds against a plug-in: every request it refused
// (an unknown property, a wrong type, an index out of range, a bad handle),
// every image or block of host memory not handed back, and every write
// outside what the plug-in may write. Tests assert that a well-behaved
// plug-in leaves the log empty. Safe to add to from several threads.
#pragma once

#include <mutex>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace hostsim::ofx {

enum class ComplaintKind {
  kRefusal,        // a suite call the host refused, with the status it returned
  kLeak,           // an image, image memory or host memory not given back
  kSourceWritten,  // a byte of an input image changed during a render
  kOutsideOutput,  // a byte of the output's padding or guard areas changed
  kDescription,    // a description no host could use (e.g. a parent that is no group)
};

struct Complaint {
  ComplaintKind kind;
  std::string what;
};

std::string_view KindName(ComplaintKind kind);
std::ostream& operator<<(std::ostream& out, const Complaint& complaint);

class ComplaintLog {
 public:
  void Add(ComplaintKind kind, std::string what);
  std::vector<Complaint> Entries() const;
  void Clear();

 private:
  mutable std::mutex mutex_;
  std::vector<Complaint> entries_;
};

}  // namespace hostsim::ofx
