#include "testing/hostsim/strict_host.h"

#include <algorithm>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

namespace hostsim {
namespace {

// The command in progress on a thread. The broker and the pixel callbacks get
// no context from the module; each strict callback finds the host's faults
// here, and the driver's own callback it passes on to.
struct StrictCommand {
  const StrictHost* host;
  const PF_LayerDef* output;
  SPAcquireSuiteFunc acquire_suite;
  SPReleaseSuiteFunc release_suite;
  PF_AddParamFunc add_param;
  PF_CopyFunc copy;
  PF_GetPixelData8Func get_pixel_data8;
  PF_GetPixelData16Func get_pixel_data16;
};

thread_local const StrictCommand* active_command = nullptr;

class ActiveCommand {
 public:
  explicit ActiveCommand(const StrictCommand* command) : previous_(active_command) {
    active_command = command;
  }
  ~ActiveCommand() { active_command = previous_; }
  ActiveCommand(const ActiveCommand&) = delete;
  ActiveCommand& operator=(const ActiveCommand&) = delete;

 private:
  const StrictCommand* previous_;
};

void ThrowIfAsked(const Faults& faults, const char* callback) {
  if (faults.throwing_callback != callback) return;
  if (faults.throws_bad_alloc) throw std::bad_alloc();
  throw HostFailure{-1};
}

// A member of PF_OutData that a command may write.
struct OwnMember {
  std::size_t offset;
  std::size_t length;
};

std::vector<OwnMember> OutDataMembersOf(PF_Cmd cmd) {
  switch (cmd) {
    case PF_Cmd_GLOBAL_SETUP:
      return {{offsetof(PF_OutData, my_version), sizeof(PF_OutData::my_version)},
              {offsetof(PF_OutData, out_flags), sizeof(PF_OutData::out_flags)},
              {offsetof(PF_OutData, out_flags2), sizeof(PF_OutData::out_flags2)}};
    case PF_Cmd_ABOUT:
      return {{offsetof(PF_OutData, return_msg), sizeof(PF_OutData::return_msg)}};
    case PF_Cmd_PARAMS_SETUP:
      return {{offsetof(PF_OutData, num_params), sizeof(PF_OutData::num_params)}};
    default:
      return {};
  }
}

bool IsOwnMember(PF_Cmd cmd, const ChangedBytes& changed) {
  if (changed.record != "PF_OutData") return false;
  const std::vector<OwnMember> own = OutDataMembersOf(cmd);
  return std::any_of(own.begin(), own.end(), [&](const OwnMember& member) {
    return changed.offset >= member.offset &&
           changed.offset + changed.length <= member.offset + member.length;
  });
}

}  // namespace

struct StrictCallbacks {
  static SPErr AcquireSuite(const char* name, std::int32_t version, const void** suite) {
    const StrictHost& host = *active_command->host;
    host.broker_log_.push_back({BrokerCall::Kind::kAcquire, name, version});
    ThrowIfAsked(host.faults, "AcquireSuite");
    if (host.faults.refused_suite == name) {
      *suite = nullptr;
      return 1;
    }
    if (host.faults.null_suite) {
      *suite = nullptr;
      return 0;
    }
    return active_command->acquire_suite(name, version, suite);
  }

  static SPErr ReleaseSuite(const char* name, std::int32_t version) {
    const StrictHost& host = *active_command->host;
    host.broker_log_.push_back({BrokerCall::Kind::kRelease, name, version});
    const SPErr released = active_command->release_suite(name, version);
    return host.faults.release_fails ? 1 : released;
  }

  static PF_Err AddParam(PF_ProgPtr effect_ref, PF_ParamIndex index, PF_ParamDefPtr def) {
    const StrictHost& host = *active_command->host;
    ++host.add_param_calls_;
    ThrowIfAsked(host.faults, "add_param");
    if (host.add_param_calls_ == host.faults.refuse_param_number) return host.faults.param_refusal;
    return active_command->add_param(effect_ref, index, def);
  }

  static PF_Err Copy(PF_ProgPtr effect_ref, PF_EffectWorld* src, PF_EffectWorld* dst,
                     PF_Rect* src_rect, PF_Rect* dst_rect) {
    const Faults& faults = active_command->host->faults;
    ThrowIfAsked(faults, "copy");
    if (faults.copy_result != PF_Err_NONE) return faults.copy_result;
    return active_command->copy(effect_ref, src, dst, src_rect, dst_rect);
  }

  // Which image the module asks about: the output is the one passed with the
  // command; every other is the input layer.
  static bool Denied(const PF_EffectWorld* world) {
    const Faults& faults = active_command->host->faults;
    return world == active_command->output ? faults.no_output_pixels : faults.no_input_pixels;
  }

  static PF_Err GetPixelData8(PF_EffectWorld* world, PF_PixelPtr pixels, PF_Pixel8** pixel) {
    ThrowIfAsked(active_command->host->faults, "get_pixel_data8");
    const PF_Err err = active_command->get_pixel_data8(world, pixels, pixel);
    if (Denied(world)) *pixel = nullptr;
    return err;
  }

  static PF_Err GetPixelData16(PF_EffectWorld* world, PF_PixelPtr pixels, PF_Pixel16** pixel) {
    ThrowIfAsked(active_command->host->faults, "get_pixel_data16");
    const PF_Err err = active_command->get_pixel_data16(world, pixels, pixel);
    if (Denied(world)) *pixel = nullptr;
    return err;
  }

  // Puts the strict callbacks in front of the driver's, for the callbacks the
  // command may call only: every other slot keeps its trap.
  static StrictCommand Install(const StrictHost& host, const Command& command) {
    CommandRecords& records = command.records;
    const StrictCommand driver{&host,
                               command.output,
                               records.broker.AcquireSuite,
                               records.broker.ReleaseSuite,
                               records.in_data.inter.add_param,
                               records.utils.copy,
                               records.utils.get_pixel_data8,
                               records.utils.get_pixel_data16};
    if (host.faults.no_broker) records.in_data.pica_basicP = nullptr;
    switch (command.cmd) {
      case PF_Cmd_ABOUT:
        records.broker.AcquireSuite = &AcquireSuite;
        records.broker.ReleaseSuite = &ReleaseSuite;
        break;
      case PF_Cmd_PARAMS_SETUP:
        host.add_param_calls_ = 0;
        records.in_data.inter.add_param = &AddParam;
        break;
      case PF_Cmd_RENDER:
        records.utils.copy = &Copy;
        records.utils.get_pixel_data8 = &GetPixelData8;
        records.utils.get_pixel_data16 = &GetPixelData16;
        break;
      default:
        break;
    }
    return driver;
  }
};

PF_Err StrictHost::Deliver(const Command& command) const {
  const StrictCommand strict = StrictCallbacks::Install(*this, command);

  RecordAudit audit;
  audit.Watch("PF_InData", command.records.in_data);
  audit.Watch("PF_UtilCallbacks", command.records.utils);
  audit.Watch("SPBasicSuite", command.records.broker);
  audit.Watch("PF_ANSICallbacksSuite1", command.records.ansi_suite);
  audit.Watch("PF_OutData", command.out_data);
  for (std::size_t slot = 0; slot < command.params.size(); ++slot) {
    audit.Watch("params[" + std::to_string(slot) + "]", *command.params[slot]);
  }
  if (command.output != nullptr) audit.Watch("output", *command.output);

  const PF_Err err = [&] {
    ActiveCommand active(&strict);
    return Enter(command);
  }();

  std::vector<ChangedBytes> changes = audit.Changes();
  if (record_changes != nullptr) {
    record_changes->insert(record_changes->end(), changes.begin(), changes.end());
    return err;
  }
  for (const ChangedBytes& changed : changes) {
    if (IsOwnMember(command.cmd, changed)) continue;
    std::fprintf(stderr, "simulated host: during %s the module wrote %s, which is not its own\n",
                 modulehost::CommandName(command.cmd), Describe(changed).c_str());
    std::fflush(stderr);
    std::abort();
  }
  return err;
}

}  // namespace hostsim
