#include "testing/modulehost/host.h"

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstring>

#include "testing/modulehost/callback_traps.h"
#include "testing/modulehost/image_record.h"
#include "testing/modulehost/poison.h"

namespace modulehost {
namespace {

constexpr char kAnsiSuiteName[] = "PF ANSI Suite";

// The broker gets no context from the module: it finds the records of the
// command in progress on its thread here.
thread_local CommandRecords* active_records = nullptr;

class ActiveRecords {
 public:
  explicit ActiveRecords(CommandRecords* records) : previous_(active_records) {
    active_records = records;
  }
  ~ActiveRecords() { active_records = previous_; }
  ActiveRecords(const ActiveRecords&) = delete;
  ActiveRecords& operator=(const ActiveRecords&) = delete;

 private:
  CommandRecords* previous_;
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

}  // namespace

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

struct Callbacks {
  static SPErr AcquireSuite(const char* name, std::int32_t version, const void** suite) {
    *suite = nullptr;
    if (std::strcmp(name, kAnsiSuiteName) != 0 || version != 1) return 1;
    *suite = &active_records->ansi_suite;
    return 0;
  }

  static SPErr ReleaseSuite(const char*, std::int32_t) { return 0; }

  static PF_Err AddParam(PF_ProgPtr effect_ref, PF_ParamIndex index, PF_ParamDefPtr def) {
    if (index != -1) return PF_Err_BAD_CALLBACK_PARAM;
    static_cast<Host*>(effect_ref)->added_params_.push_back(*def);
    return PF_Err_NONE;
  }

  static PF_Err Copy(PF_ProgPtr, PF_EffectWorld* src, PF_EffectWorld* dst, PF_Rect* src_rect,
                     PF_Rect* dst_rect) {
    if (src_rect != nullptr || dst_rect != nullptr) return PF_Err_BAD_CALLBACK_PARAM;
    if ((src->world_flags & PF_WorldFlag_DEEP) != (dst->world_flags & PF_WorldFlag_DEEP)) {
      return PF_Err_BAD_CALLBACK_PARAM;
    }
    CopyImage(*src, *dst);
    return PF_Err_NONE;
  }

  static PF_Err GetPixelData8(PF_EffectWorld* world, PF_PixelPtr, PF_Pixel8** pixel) {
    const bool deep = (world->world_flags & PF_WorldFlag_DEEP) != 0;
    *pixel = deep ? nullptr : world->data;
    return PF_Err_NONE;
  }

  static PF_Err GetPixelData16(PF_EffectWorld* world, PF_PixelPtr, PF_Pixel16** pixel) {
    const bool deep = (world->world_flags & PF_WorldFlag_DEEP) != 0;
    *pixel = deep ? reinterpret_cast<PF_Pixel16*>(world->data) : nullptr;
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
    // Only Params Setup's add_param writes through it, and Params Setup is
    // sent through the non-const Send.
    in_data.effect_ref = const_cast<Host*>(&host);
    in_data.pica_basicP = &records.broker;
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
};

Host::Host(EffectMainFn effect_main) : effect_main_(effect_main) { Poison(out_data); }

PF_Err Host::Run(PF_Cmd cmd, PF_OutData& command_out, std::span<PF_ParamDef*> params,
                 PF_LayerDef* output) const {
  CommandRecords records;
  Callbacks::Prepare(*this, cmd, records);
  ActiveRecords active(&records);
  return Deliver(Command{cmd, records, command_out, params, output});
}

PF_Err Host::Enter(const Command& command) const {
  TrapCommandName name(CommandName(command.cmd));
  PF_ParamDef** params = command.params.empty() ? nullptr : command.params.data();
  return effect_main_(command.cmd, &command.records.in_data, &command.out_data, params,
                      command.output, nullptr);
}

PF_Err Host::Send(PF_Cmd cmd) { return Run(cmd, out_data, {}, nullptr); }

PF_Err Host::ParamsSetup() {
  added_params_.clear();
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

PF_Err Host::Render(PF_LayerDef& input, PF_LayerDef& output) const {
  PF_OutData render_out = Poisoned<PF_OutData>();

  // Each call sends its own copy of the values, so calls on several threads
  // share nothing but this host's read-only state.
  std::vector<PF_ParamDef> values = params_;
  if (values.empty()) values.push_back(Poisoned<PF_ParamDef>());
  values[0].u.ld = input;
  std::vector<PF_ParamDef*> pointers;
  for (PF_ParamDef& value : values) pointers.push_back(&value);

  return Run(PF_Cmd_RENDER, render_out, pointers, &output);
}

}  // namespace modulehost
