// The simulated host the tests, the fuzzers and the loader drive the module
// through: the driver of testing/hostsim/host.h, plus the faults a test may ask of the
// host and an audit of every record around every command.
//
// After each command every record the module was handed is compared with what
// it was, so a write outside the module's own members aborts the process,
// unless a test collects the changes to look at them (`record_changes`).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "testing/hostsim/host.h"
#include "testing/hostsim/record_audit.h"

namespace hostsim {

struct BrokerCall {
  enum class Kind { kAcquire, kRelease };
  Kind kind;
  std::string name;
  std::int32_t version;
  bool operator==(const BrokerCall&) const = default;
};

// How the host misbehaves, when a test asks it to.
struct Faults {
  bool no_broker = false;       // pica_basicP is null
  std::string refused_suite;    // AcquireSuite fails for this suite name
  bool null_suite = false;      // AcquireSuite reports success but yields null
  bool release_fails = false;   // ReleaseSuite returns an error code
  int refuse_param_number = 0;  // add_param refuses its n-th call (from 1); 0 never
  PF_Err param_refusal = PF_Err_OUT_OF_MEMORY;
  PF_Err copy_result = PF_Err_NONE;  // a non-zero code: copy fails and copies nothing
  bool no_input_pixels = false;      // pixel access yields no pointer for the input
  bool no_output_pixels = false;     // ... or for the output
  // A callback that throws instead of returning ("copy", "get_pixel_data8",
  // "get_pixel_data16", "add_param" or "AcquireSuite"), as a host built with
  // the same compiler might; it throws std::bad_alloc or a non-standard type.
  std::string throwing_callback;
  bool throws_bad_alloc = false;
};

// What a throwing callback throws when it is not std::bad_alloc.
struct HostFailure {
  int code;
};

class StrictHost : public Host {
 public:
  explicit StrictHost(EffectMainFn effect_main) : Host(effect_main) {}

  Faults faults;
  // When set, every command appends to it the bytes it changed in the host's
  // records, and a stray write no longer aborts. Single-threaded use only.
  std::vector<ChangedBytes>* record_changes = nullptr;

  // Every AcquireSuite and ReleaseSuite, in order, since the host was made.
  const std::vector<BrokerCall>& broker_log() const { return broker_log_; }
  // The add_param calls of the last Params Setup, refused ones included.
  int add_param_calls() const { return add_param_calls_; }

 protected:
  PF_Err Deliver(const Command& command) const override;

 private:
  friend struct StrictCallbacks;

  // Written only by the callbacks of About and Params Setup, which are sent
  // through the non-const Send, never concurrently.
  mutable std::vector<BrokerCall> broker_log_;
  mutable int add_param_calls_ = 0;
};

}  // namespace hostsim
