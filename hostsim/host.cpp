#include "hostsim/host.h"

#include <algorithm>
#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "hostsim/callback_traps.h"
#include "hostsim/poison.h"

namespace hostsim {
namespace {

constexpr char kAnsiSuiteName[] = "PF ANSI Suite";

// The records one command is handed, besides the output data and the images.
struct CommandRecords {
  PF_InData in_data;
  PF_UtilCallbacks utils;
  SPBasicSuite broker;
  PF_ANSICallbacksSuite1 ansi_suite;
};

// What a callback needs of the command in progress on its thread: the broker
// and the pixel callbacks get no context from the module.
struct CommandContext {
  const Host* host;
  CommandRecords* records;
  const PF_EffectWorld* output;
};

thread_local const CommandContext* active_command = nullptr;

class ActiveCommand {
 public:
  explicit ActiveCommand(const CommandContext* context) : previous_(active_command) {
    active_command = context;
  }
  ~ActiveCommand() { active_command = previous_; }
  ActiveCommand(const ActiveCommand&) = delete;
  ActiveCommand& operator=(const ActiveCommand&) = delete;

 private:
  const CommandContext* previous_;
};

// Unbounded, like the host's: the caller guarantees the room.
A_long AnsiSprintf(A_char* buffer, const A_char* format, ...) {
  va_list args;
  va_start(args, format);
  const int written = std::vsprintf(buffer, format, args);
  va_end(args);
  return written;
}

A_char* AnsiStrcpy(A_char* dst, const A_char* src) { return std::strcpy(dst, src); }

void ThrowIfAsked(const Faults& faults, const char* callback) {
  if (faults.throwing_callback != callback) return;
  if (faults.throws_bad_alloc) throw std::bad_alloc();
  throw HostFailure{-1};
}

const char* CommandName(PF_Cmd cmd) {
  switch (cmd) {
    case PF_Cmd_ABOUT:
      return "About";
    case PF_Cmd_GLOBAL_SETUP:
      return "Global Setup";
    case PF_Cmd_PARAMS_SETUP:
      return "Params Setup";
    case PF_Cmd_RENDER:
      return "Render";
    default:
      return "a command the module does not handle";
  }
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

struct Callbacks {
  static Host& Mutable(const Host* host) { return const_cast<Host&>(*host); }

  static SPErr AcquireSuite(const char* name, std::int32_t version, const void** suite) {
    Host& host = Mutable(active_command->host);
    host.broker_log_.push_back({BrokerCall::Kind::kAcquire, name, version});
    ThrowIfAsked(host.faults, "AcquireSuite");
    *suite = nullptr;
    if (host.faults.refused_suite == name) return 1;
    if (host.faults.null_suite) return 0;
    if (std::strcmp(name, kAnsiSuiteName) == 0 && version == 1) {
      *suite = &active_command->records->ansi_suite;
      return 0;
    }
    return 1;
  }

  static SPErr ReleaseSuite(const char* name, std::int32_t version) {
    Host& host = Mutable(active_command->host);
    host.broker_log_.push_back({BrokerCall::Kind::kRelease, name, version});
    return host.faults.release_fails ? 1 : 0;
  }

  static PF_Err AddParam(PF_ProgPtr effect_ref, PF_ParamIndex index, PF_ParamDefPtr def) {
    Host& host = *static_cast<Host*>(effect_ref);
    ++host.add_param_calls_;
    ThrowIfAsked(host.faults, "add_param");
    if (host.add_param_calls_ == host.faults.refuse_param_number) return host.faults.param_refusal;
    if (index != -1) return PF_Err_BAD_CALLBACK_PARAM;
    host.added_params_.push_back(*def);
    return PF_Err_NONE;
  }

  static PF_Err Copy(PF_ProgPtr effect_ref, PF_EffectWorld* src, PF_EffectWorld* dst,
                     PF_Rect* src_rect, PF_Rect* dst_rect) {
    const Host& host = *static_cast<const Host*>(effect_ref);
    ThrowIfAsked(host.faults, "copy");
    if (host.faults.copy_result != PF_Err_NONE) return host.faults.copy_result;
    if (src_rect != nullptr || dst_rect != nullptr) return PF_Err_BAD_CALLBACK_PARAM;
    if ((src->world_flags & PF_WorldFlag_DEEP) != (dst->world_flags & PF_WorldFlag_DEEP)) {
      return PF_Err_BAD_CALLBACK_PARAM;
    }
    CopyImage(*src, *dst);
    return PF_Err_NONE;
  }

  // Which image the module asks about: the output is the one passed with the
  // command; every other is the input layer.
  static bool Denied(const PF_EffectWorld* world) {
    const Faults& faults = active_command->host->faults;
    return world == active_command->output ? faults.no_output_pixels : faults.no_input_pixels;
  }

  static PF_Err GetPixelData8(PF_EffectWorld* world, PF_PixelPtr, PF_Pixel8** pixel) {
    ThrowIfAsked(active_command->host->faults, "get_pixel_data8");
    const bool deep = (world->world_flags & PF_WorldFlag_DEEP) != 0;
    *pixel = deep || Denied(world) ? nullptr : world->data;
    return PF_Err_NONE;
  }

  static PF_Err GetPixelData16(PF_EffectWorld* world, PF_PixelPtr, PF_Pixel16** pixel) {
    ThrowIfAsked(active_command->host->faults, "get_pixel_data16");
    const bool deep = (world->world_flags & PF_WorldFlag_DEEP) != 0;
    *pixel = !deep || Denied(world) ? nullptr : reinterpret_cast<PF_Pixel16*>(world->data);
    return PF_Err_NONE;
  }

  // Poisons the records, traps every callback slot, then arms those `cmd` may
  // call.
  static void Prepare(const Host& host, PF_Cmd cmd, CommandRecords& records) {
    Poison(records);
    TrapEverySlot(&records.in_data.inter, sizeof records.in_data.inter, CallbackRecord::kInteract);
    TrapEverySlot(&records.utils, sizeof records.utils, CallbackRecord::kUtil,
                  {offsetof(PF_UtilCallbacks, ansi) + offsetof(PF_ANSICallbacks, unused_longA),
                   offsetof(PF_UtilCallbacks, reserved)});
    TrapEverySlot(&records.broker, sizeof records.broker, CallbackRecord::kBroker);
    TrapEverySlot(&records.ansi_suite, sizeof records.ansi_suite, CallbackRecord::kAnsiSuite);

    PF_InData& in_data = records.in_data;
    in_data.utils = &records.utils;
    in_data.effect_ref = const_cast<Host*>(&host);
    in_data.pica_basicP = host.faults.no_broker ? nullptr : &records.broker;
    switch (cmd) {
      case PF_Cmd_ABOUT:
        records.broker.AcquireSuite = &AcquireSuite;
        records.broker.ReleaseSuite = &ReleaseSuite;
        records.ansi_suite.sprintf = &AnsiSprintf;
        break;
      case PF_Cmd_PARAMS_SETUP:
        in_data.inter.add_param = &AddParam;
        records.utils.ansi.strcpy = &AnsiStrcpy;
        break;
      case PF_Cmd_RENDER:
        records.utils.copy = &Copy;
        records.utils.get_pixel_data8 = &GetPixelData8;
        records.utils.get_pixel_data16 = &GetPixelData16;
        break;
      default:
        break;
    }
  }

  // Sends `cmd` through the entry point with records of the host's layout and
  // audits every record afterwards.
  static PF_Err Run(const Host& host, PF_Cmd cmd, PF_OutData& out_data, PF_ParamDef* params[],
                    std::size_t param_count, PF_LayerDef* output) {
    CommandRecords records;
    Prepare(host, cmd, records);

    RecordAudit audit;
    audit.Watch("PF_InData", records.in_data);
    audit.Watch("PF_UtilCallbacks", records.utils);
    audit.Watch("SPBasicSuite", records.broker);
    audit.Watch("PF_ANSICallbacksSuite1", records.ansi_suite);
    audit.Watch("PF_OutData", out_data);
    for (std::size_t slot = 0; slot < param_count; ++slot) {
      audit.Watch("params[" + std::to_string(slot) + "]", *params[slot]);
    }
    if (output != nullptr) audit.Watch("output", *output);

    const CommandContext context{&host, &records, output};
    const PF_Err err = [&] {
      ActiveCommand active(&context);
      TrapCommandName name(CommandName(cmd));
      return host.effect_main_(cmd, &records.in_data, &out_data, params, output, nullptr);
    }();

    std::vector<ChangedBytes> changes = audit.Changes();
    if (host.record_changes != nullptr) {
      host.record_changes->insert(host.record_changes->end(), changes.begin(), changes.end());
      return err;
    }
    for (const ChangedBytes& changed : changes) {
      if (IsOwnMember(cmd, changed)) continue;
      std::fprintf(stderr, "simulated host: during %s the module wrote %s, which is not its own\n",
                   CommandName(cmd), Describe(changed).c_str());
      std::fflush(stderr);
      std::abort();
    }
    return err;
  }
};

Host::Host(EffectMainFn effect_main) : effect_main_(effect_main) { Poison(out_data); }

PF_Err Host::Send(PF_Cmd cmd) { return Callbacks::Run(*this, cmd, out_data, nullptr, 0, nullptr); }

PF_Err Host::ParamsSetup() {
  added_params_.clear();
  add_param_calls_ = 0;
  const PF_Err err = Send(PF_Cmd_PARAMS_SETUP);

  PF_ParamDef input_layer{};
  input_layer.param_type = PF_Param_LAYER;
  descriptions_.assign(1, input_layer);
  descriptions_.insert(descriptions_.end(), added_params_.begin(), added_params_.end());

  params_.clear();
  for (const PF_ParamDef& description : descriptions_) {
    PF_ParamDef& value = params_.emplace_back(Poisoned<PF_ParamDef>());
    switch (description.param_type) {
      case PF_Param_CHECKBOX:
        value.u.bd.value = description.u.bd.value;
        break;
      case PF_Param_COLOR:
        value.u.cd.value = description.u.cd.value;
        break;
      case PF_Param_FLOAT_SLIDER:
        value.u.fs_d.value = description.u.fs_d.value;
        break;
      default:
        break;
    }
  }
  return err;
}

PF_Err Host::Render(World& input, World& output) const { return Render(input.def(), output.def()); }

PF_Err Host::Render(PF_LayerDef& input, PF_LayerDef& output) const {
  PF_OutData render_out = Poisoned<PF_OutData>();

  // Each call sends its own copy of the values, so calls on several threads
  // share nothing but this host's read-only state.
  std::vector<PF_ParamDef> values = params_;
  if (values.empty()) values.push_back(Poisoned<PF_ParamDef>());
  values[0].u.ld = input;
  std::vector<PF_ParamDef*> pointers;
  for (PF_ParamDef& value : values) pointers.push_back(&value);

  return Callbacks::Run(*this, PF_Cmd_RENDER, render_out, pointers.data(), pointers.size(),
                        &output);
}

}  // namespace hostsim
