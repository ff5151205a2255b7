#include "host.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <new>

namespace hostsim {
namespace {

// The broker and the pixel callbacks get no context from the module, so each
// thread notes which host is running a command for it.
thread_local const Host* active_host = nullptr;

class ActiveHost {
 public:
  explicit ActiveHost(const Host* host) : previous_(active_host) { active_host = host; }
  ~ActiveHost() { active_host = previous_; }
  ActiveHost(const ActiveHost&) = delete;
  ActiveHost& operator=(const ActiveHost&) = delete;

 private:
  const Host* previous_;
};

// Unbounded, like the host's: the caller guarantees the room.
A_long AnsiSprintf(A_char* buffer, const A_char* format, ...) {
  va_list args;
  va_start(args, format);
  const int written = std::vsprintf(buffer, format, args);
  va_end(args);
  return written;
}

// The one suite this host offers.
PF_ANSICallbacksSuite1 ansi_suite{&AnsiSprintf};

constexpr char kAnsiSuiteName[] = "PF ANSI Suite";

void ThrowIfAsked(const Faults& faults, const char* callback) {
  if (faults.throwing_callback != callback) return;
  if (faults.throws_bad_alloc) throw std::bad_alloc();
  throw HostFailure{-1};
}

}  // namespace

struct Callbacks {
  static Host& Mutable(const Host* host) { return const_cast<Host&>(*host); }

  static SPErr AcquireSuite(const char* name, std::int32_t version, const void** suite) {
    Host& host = Mutable(active_host);
    host.broker_log_.push_back({BrokerCall::Kind::kAcquire, name, version});
    ThrowIfAsked(host.faults, "AcquireSuite");
    *suite = nullptr;
    if (host.faults.refused_suite == name) return 1;
    if (host.faults.null_suite) return 0;
    if (std::strcmp(name, kAnsiSuiteName) == 0 && version == 1) {
      *suite = &ansi_suite;
      return 0;
    }
    return 1;
  }

  static SPErr ReleaseSuite(const char* name, std::int32_t version) {
    Host& host = Mutable(active_host);
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
    const Faults& faults = active_host->faults;
    return world == output_world ? faults.no_output_pixels : faults.no_input_pixels;
  }

  static PF_Err GetPixelData8(PF_EffectWorld* world, PF_PixelPtr, PF_Pixel8** pixel) {
    ThrowIfAsked(active_host->faults, "get_pixel_data8");
    const bool deep = (world->world_flags & PF_WorldFlag_DEEP) != 0;
    *pixel = deep || Denied(world) ? nullptr : world->data;
    return PF_Err_NONE;
  }

  static PF_Err GetPixelData16(PF_EffectWorld* world, PF_PixelPtr, PF_Pixel16** pixel) {
    ThrowIfAsked(active_host->faults, "get_pixel_data16");
    const bool deep = (world->world_flags & PF_WorldFlag_DEEP) != 0;
    *pixel = !deep || Denied(world) ? nullptr : reinterpret_cast<PF_Pixel16*>(world->data);
    return PF_Err_NONE;
  }

  static thread_local const PF_EffectWorld* output_world;
};

thread_local const PF_EffectWorld* Callbacks::output_world = nullptr;

namespace {

SPBasicSuite broker{&Callbacks::AcquireSuite, &Callbacks::ReleaseSuite};

PF_UtilCallbacks MakeUtils() {
  PF_UtilCallbacks utils{};
  utils.copy = &Callbacks::Copy;
  utils.ansi.strcpy = [](A_char* dst, const A_char* src) { return std::strcpy(dst, src); };
  utils.get_pixel_data8 = &Callbacks::GetPixelData8;
  utils.get_pixel_data16 = &Callbacks::GetPixelData16;
  return utils;
}

}  // namespace

Host::Host(EffectMainFn effect_main) : effect_main_(effect_main) {}

PF_InData Host::MakeInData(PF_UtilCallbacks* utils) const {
  PF_InData in_data{};
  in_data.inter.add_param = &Callbacks::AddParam;
  in_data.utils = utils;
  in_data.effect_ref = const_cast<Host*>(this);
  in_data.pica_basicP = faults.no_broker ? nullptr : &broker;
  return in_data;
}

PF_Err Host::Send(PF_Cmd cmd) {
  ActiveHost active(this);
  PF_UtilCallbacks utils = MakeUtils();
  PF_InData in_data = MakeInData(&utils);
  return effect_main_(cmd, &in_data, &out_data, nullptr, nullptr, nullptr);
}

PF_Err Host::ParamsSetup() {
  added_params_.clear();
  add_param_calls_ = 0;
  const PF_Err err = Send(PF_Cmd_PARAMS_SETUP);
  PF_ParamDef input_layer{};
  input_layer.param_type = PF_Param_LAYER;
  params_.assign(1, input_layer);
  params_.insert(params_.end(), added_params_.begin(), added_params_.end());
  return err;
}

PF_Err Host::Render(World& input, World& output) const { return Render(input.def(), output.def()); }

PF_Err Host::Render(PF_LayerDef& input, PF_LayerDef& output) const {
  ActiveHost active(this);
  Callbacks::output_world = &output;
  PF_UtilCallbacks utils = MakeUtils();
  PF_InData in_data = MakeInData(&utils);
  PF_OutData render_out{};

  // Each call sends its own copy of the values, so calls on several threads
  // share nothing but this host's read-only state.
  std::vector<PF_ParamDef> values = params_;
  if (values.empty()) values.resize(1);
  values[0].u.ld = input;
  std::vector<PF_ParamDef*> pointers;
  for (PF_ParamDef& value : values) pointers.push_back(&value);

  const PF_Err err =
      effect_main_(PF_Cmd_RENDER, &in_data, &render_out, pointers.data(), &output, nullptr);
  Callbacks::output_world = nullptr;
  return err;
}

}  // namespace hostsim
