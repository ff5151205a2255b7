// An instance of a plug-in's effect in one context, and the frames the host
// renders through it. Creating it sends kOfxActionCreateInstance and
// kOfxImageEffectActionGetClipPreferences; destroying it sends
// kOfxActionDestroyInstance. A frame goes through
//
//   kOfxImageEffectActionGetRegionOfDefinition
//   kOfxImageEffectActionGetRegionsOfInterest
//   kOfxImageEffectActionIsIdentity        (an identity frame is copied by the host)
//   kOfxImageEffectActionBeginSequenceRender
//   kOfxImageEffectActionRender
//   kOfxImageEffectActionEndSequenceRender
//
// with the images the test hands over held under the frame's time, which is
// how clipGetImage finds them (a host with the habits of HostConfig may send
// the render as strips or fields, handing out the part of each image it
// renders); several frames may render at once, on
// different threads, as long as their times differ. After each frame the
// host checks that every image was released, that no input changed and that
// nothing outside the output's pixels changed.
#pragma once

#include <atomic>
#include <functional>
#include <list>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "testing/hostsim/ofx/effect.h"
#include "testing/hostsim/ofx/image.h"
#include "testing/hostsim/ofx/param.h"
#include "testing/hostsim/ofx/property_set.h"

namespace hostsim::ofx {

class Plugin;

struct InstanceConfig {
  std::string context = kOfxImageEffectContextFilter;
  // What the host's clips carry before the plug-in states its preferences.
  PixelDepth depth = PixelDepth::kFloat;
  Components components = Components::kRGBA;
  std::string premultiplication = kOfxImagePreMultiplied;
  OfxPointD project_size{1920.0, 1080.0};
  double frame_rate = 25.0;
  OfxRangeD frame_range{0.0, 99.0};
  // The time paramGetValue answers for; a render reads its own time.
  OfxTime timeline_time = 0.0;
  bool source_connected = true;
};

struct FrameRequest {
  OfxTime time = 0.0;
  Image* source = nullptr;  // null: the source has no image at this time
  Image* output = nullptr;
  std::optional<OfxRectI> render_window = std::nullopt;  // the output's bounds when absent
  OfxPointD render_scale{1.0, 1.0};
  std::string field = kOfxImageFieldNone;
  // The host compares the images with snapshots taken before the frame, to
  // catch a write to the source or outside the output. Benchmarks, timing
  // what a host does, turn it off.
  bool audit_images = true;
};

struct FrameOutcome {
  // The render action's status, or that of the first action that failed.
  OfxStatus status = kOfxStatOK;
  // The plug-in declared the frame an identity and the host copied it.
  bool identity = false;
};

// One image handed to the plug-in by clipGetImage, until clipReleaseImage.
class ImageLease {
 public:
  ImageLease(ComplaintLog& log, const std::string& label, const Image& image,
             const ImagePart& part);
  PropertySet& properties() { return properties_; }
  const std::string& label() const { return properties_.label(); }
  // False when it was released already.
  bool Release() { return !released_.exchange(true); }
  bool released() const { return released_.load(); }

 private:
  PropertySet properties_;
  std::atomic<bool> released_{false};
};

// What a test layer may change about an image request before the host
// answers it; see testing/hostsim/ofx/faults.h.
struct FetchOverride {
  OfxStatus status = kOfxStatOK;  // anything else: the request fails with it
  bool no_image = false;          // succeed, but hand out a null handle
};
using FetchHook =
    std::function<FetchOverride(std::string_view clip, OfxTime time, PropertySet& image)>;

class Instance {
 public:
  Instance(Plugin& plugin, const Effect& context_descriptor, InstanceConfig config,
           std::string label);
  ~Instance();
  Instance(const Instance&) = delete;
  Instance& operator=(const Instance&) = delete;

  // kOfxActionCreateInstance, then kOfxImageEffectActionGetClipPreferences:
  // the first status that was neither OK nor the default reply.
  OfxStatus create_status() const { return create_status_; }
  Effect& effect() { return effect_; }
  const InstanceConfig& config() const { return config_; }
  Clip& clip(std::string_view name) const;
  Param& param(std::string_view name) const;

  // Parameter values by name: constants, or keys at times.
  void SetValue(std::string_view name, ParamValue value);
  void SetValueAt(std::string_view name, OfxTime time, ParamValue value);
  void SetBoolean(std::string_view name, bool value) { SetValue(name, {{value ? 1.0 : 0.0}, {}}); }
  void SetDouble(std::string_view name, double value) { SetValue(name, {{value}, {}}); }
  void SetInteger(std::string_view name, int value) { SetValue(name, {{double(value)}, {}}); }
  void SetRGB(std::string_view name, double r, double g, double b) {
    SetValue(name, {{r, g, b}, {}});
  }

  FrameOutcome Render(const FrameRequest& frame);
  // One BeginSequenceRender and EndSequenceRender around all the frames.
  std::vector<FrameOutcome> RenderSequence(std::span<const FrameRequest> frames);

  // Set before rendering, never while frames render.
  void set_fetch_hook(FetchHook hook) { fetch_hook_ = std::move(hook); }
  // The host's abort answers 1 from the (checks + 1)th time it is asked on;
  // never when there is no count.
  void AbortAfter(std::optional<int> checks) { abort_after_ = checks; }
  int abort_checks() const { return abort_checks_.load(); }
  // Of those, the ones asked from threads the multithread suite started.
  int abort_checks_on_spawned_threads() const { return abort_checks_on_spawned_threads_.load(); }

  // --- For the suites ---------------------------------------------------------
  OfxStatus FetchImage(const Clip& clip, OfxTime time, OfxPropertySetHandle* image);
  bool AskAbort();
  OfxRectD ClipRegionOfDefinition(const Clip& clip, OfxTime time);

 private:
  // What the images handed out during a render action show of the frame:
  // all of it, a strip, or a field.
  struct FramePart {
    std::optional<OfxRectI> crop;
    std::optional<bool> upper_field;
  };
  struct HeldFrame {
    const FrameRequest* request;
    std::vector<std::byte> source_before;
    std::vector<std::byte> output_before;
    std::vector<std::unique_ptr<ImageLease>> leases;
    FramePart part;
  };

  OfxStatus SendClipPreferences();
  OfxStatus Call(const char* action, PropertySet* in, PropertySet* out);
  HeldFrame& Hold(const FrameRequest& frame);
  void LetGo(const FrameRequest& frame);
  FrameOutcome RenderOne(const FrameRequest& frame);
  OfxStatus RenderAction(const FrameRequest& frame, const OfxRectI& window,
                         const std::string& field, FramePart part);
  void ShowPart(const FrameRequest& frame, FramePart part);
  OfxStatus AskRegions(const FrameRequest& frame, const OfxRectI& window);
  std::optional<std::string> AskIdentity(const FrameRequest& frame, const OfxRectI& window,
                                         OfxStatus& status);
  void CopyAsIdentity(const FrameRequest& frame, std::string_view clip, const OfxRectI& window);

  Plugin* plugin_;
  InstanceConfig config_;
  Effect effect_;
  OfxStatus create_status_ = kOfxStatOK;
  bool created_ = false;
  FetchHook fetch_hook_;
  std::optional<int> abort_after_;
  std::atomic<int> abort_checks_{0};
  std::atomic<int> abort_checks_on_spawned_threads_{0};
  std::mutex frames_mutex_;
  std::list<HeldFrame> frames_;
};

}  // namespace hostsim::ofx
