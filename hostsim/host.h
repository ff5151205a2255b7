// An in-memory host that drives an effect module through its command entry
// point, as the compositing host would, and records what the module asks of
// it. Used by the tests, the command-line tool and the Windows loader test.
//
// Its records have the host's full published layout. Every byte the module has
// no reason to read holds poison; every callback a command has no business
// calling is a trap that aborts the process; and after each command every
// record it was handed is compared with what it was, so a write outside the
// module's own members aborts the process too, unless a test collects the
// changes to look at them (`record_changes`).
#pragma once

#include <string>
#include <vector>

#include "host/pf_callbacks.h"
#include "hostsim/record_audit.h"
#include "hostsim/world.h"

namespace hostsim {

using EffectMainFn = PF_Err (*)(PF_Cmd, PF_InData*, PF_OutData*, PF_ParamDef*[], PF_LayerDef*,
                                void*);

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

class Host {
 public:
  explicit Host(EffectMainFn effect_main);
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  // Sends a command with no images; for the commands that use none.
  PF_Err Send(PF_Cmd cmd);
  PF_Err GlobalSetup() { return Send(PF_Cmd_GLOBAL_SETUP); }
  PF_Err About() { return Send(PF_Cmd_ABOUT); }
  // Collects the added parameters and builds the parameter array that Render
  // sends, every value at the module's default.
  PF_Err ParamsSetup();
  // Renders `input` into `output` with the current parameter values. Safe to
  // call from several threads at once on one host.
  PF_Err Render(World& input, World& output) const;
  // The same for image records whose pixels the caller owns, e.g. buffers of
  // exactly the size the records describe.
  PF_Err Render(PF_LayerDef& input, PF_LayerDef& output) const;

  // The record Render sends for the parameter in `slot`: only its value
  // member (u.bd.value, u.cd.value or u.fs_d.value) is set; every other byte
  // is poison, as nothing else of it is the module's to read.
  PF_ParamDef& param(int slot) { return params_.at(static_cast<std::size_t>(slot)); }
  // The parameter in `slot` as the module described it; slot 0 is the input
  // layer, described by the host.
  const PF_ParamDef& description(int slot) const {
    return descriptions_.at(static_cast<std::size_t>(slot));
  }
  std::size_t param_count() const { return params_.size(); }

  Faults faults;
  // The host's record, poisoned until the module writes its own members.
  PF_OutData out_data;
  // When set, every command appends to it the bytes it changed in the host's
  // records, and a stray write no longer aborts. Single-threaded use only.
  std::vector<ChangedBytes>* record_changes = nullptr;

  const std::vector<PF_ParamDef>& added_params() const { return added_params_; }
  const std::vector<BrokerCall>& broker_log() const { return broker_log_; }
  int add_param_calls() const { return add_param_calls_; }

 private:
  friend struct Callbacks;

  EffectMainFn effect_main_;
  std::vector<PF_ParamDef> added_params_;
  std::vector<PF_ParamDef> descriptions_;
  std::vector<PF_ParamDef> params_;
  std::vector<BrokerCall> broker_log_;
  int add_param_calls_ = 0;
};

}  // namespace hostsim
