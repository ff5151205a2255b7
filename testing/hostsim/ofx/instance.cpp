#include "testing/hostsim/ofx/instance.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <utility>

#include "testing/hostsim/ofx/host.h"
#include "testing/hostsim/ofx/plugin.h"
#include "testing/hostsim/ofx/property_tables.h"
#include "testing/hostsim/ofx/suites.h"

namespace hostsim::ofx {
namespace {

[[noreturn]] void TestFault(const std::string& what) {
  std::fprintf(stderr, "simulated OFX host: %s\n", what.c_str());
  std::fflush(stderr);
  std::abort();
}

bool Succeeded(OfxStatus status) { return status == kOfxStatOK || status == kOfxStatReplyDefault; }

std::string TimeText(OfxTime time) {
  std::ostringstream text;
  text << time;
  return text.str();
}

OfxRectI Intersection(const OfxRectI& a, const OfxRectI& b) {
  OfxRectI r{std::max(a.x1, b.x1), std::max(a.y1, b.y1), std::min(a.x2, b.x2),
             std::min(a.y2, b.y2)};
  if (r.x2 < r.x1) r.x2 = r.x1;
  if (r.y2 < r.y1) r.y2 = r.y1;
  return r;
}

OfxRectD ToDouble(const OfxRectI& r) {
  return {double(r.x1), double(r.y1), double(r.x2), double(r.y2)};
}

std::vector<double> Parts(const OfxRectD& r) { return {r.x1, r.y1, r.x2, r.y2}; }

}  // namespace

ImageLease::ImageLease(ComplaintLog& log, const std::string& label, const Image& image,
                       const ImagePart& part)
    : properties_("image " + label, log, ImageProperties()) {
  properties_.SetOwner(PropertySetOwner::kImage, this);
  image.Describe(properties_, label, part);
}

Instance::Instance(Plugin& plugin, const Effect& context_descriptor, InstanceConfig config,
                   std::string label)
    : plugin_(&plugin), config_(std::move(config)), effect_(context_descriptor, *this, label) {
  PropertySet& properties = effect_.properties();
  const OfxPointD& size = config_.project_size;
  properties.SetString(kOfxImageEffectPropContext, config_.context);
  properties.SetPointer(kOfxImageEffectPropPluginHandle, &plugin.ofx_plugin());
  properties.SetDoubles(kOfxImageEffectPropProjectSize, {size.x, size.y});
  properties.SetDoubles(kOfxImageEffectPropProjectOffset, {0.0, 0.0});
  properties.SetDoubles(kOfxImageEffectPropProjectExtent, {size.x, size.y});
  properties.SetDouble(kOfxImageEffectInstancePropEffectDuration,
                       config_.frame_range.max - config_.frame_range.min + 1.0);
  properties.SetDouble(kOfxImageEffectPropFrameRate, config_.frame_rate);

  create_status_ = Call(kOfxActionCreateInstance, nullptr, nullptr);
  created_ = Succeeded(create_status_);
  if (created_) create_status_ = SendClipPreferences();
  if (create_status_ == kOfxStatReplyDefault) create_status_ = kOfxStatOK;
}

Instance::~Instance() {
  if (created_) Call(kOfxActionDestroyInstance, nullptr, nullptr);
}

OfxStatus Instance::Call(const char* action, PropertySet* in, PropertySet* out) {
  return plugin_->Call(action, effect_.handle(), in, out, effect_.label());
}

Clip& Instance::clip(std::string_view name) const {
  Clip* clip = effect_.FindClip(name);
  if (clip == nullptr) TestFault(effect_.label() + " has no clip " + std::string(name));
  return *clip;
}

Param& Instance::param(std::string_view name) const {
  Param* param = effect_.params().Find(name);
  if (param == nullptr) TestFault(effect_.label() + " has no parameter " + std::string(name));
  return *param;
}

void Instance::SetValue(std::string_view name, ParamValue value) {
  param(name).SetValue(std::move(value));
}

void Instance::SetValueAt(std::string_view name, OfxTime time, ParamValue value) {
  param(name).SetValueAt(time, std::move(value));
}

OfxStatus Instance::SendClipPreferences() {
  ComplaintLog& log = effect_.host().complaint_log();
  PropertySet results("arguments of " kOfxImageEffectActionGetClipPreferences, log,
                      ClipPreferencesResults());
  results.SetString(kOfxImageEffectPropPreMultiplication, config_.premultiplication);
  results.SetDouble(kOfxImageEffectPropFrameRate, config_.frame_rate);
  // What the host knows of its inputs before it asks.
  for (const auto& clip : effect_.clips()) {
    if (clip->name() == kOfxImageEffectOutputClipName) continue;
    clip->properties().SetString(kOfxImageEffectPropPreMultiplication, config_.premultiplication);
  }
  // The per-clip preferences, named after each clip, preset to what the host
  // would choose.
  for (const auto& clip : effect_.clips()) {
    const std::string components = "OfxImageClipPropComponents_" + clip->name();
    const std::string depth = "OfxImageClipPropDepth_" + clip->name();
    const std::string aspect = "OfxImageClipPropPAR_" + clip->name();
    const PropertyRow rows[] = {
        {components.c_str(), PropertyType::kString, 1, Writer::kPlugin, ""},
        {depth.c_str(), PropertyType::kString, 1, Writer::kPlugin, ""},
        {aspect.c_str(), PropertyType::kDouble, 1, Writer::kPlugin, "1"},
    };
    results.Add(rows);
    results.SetString(components, ComponentsName(config_.components));
    results.SetString(depth, DepthName(config_.depth));
  }
  const OfxStatus status = Call(kOfxImageEffectActionGetClipPreferences, nullptr, &results);
  if (!Succeeded(status)) return status;

  for (const auto& clip : effect_.clips()) {
    PropertySet& properties = clip->properties();
    const bool is_output = clip->name() == kOfxImageEffectOutputClipName;
    properties.SetString(kOfxImageEffectPropComponents,
                         results.String("OfxImageClipPropComponents_" + clip->name()));
    properties.SetString(kOfxImageEffectPropPixelDepth,
                         results.String("OfxImageClipPropDepth_" + clip->name()));
    properties.SetDouble(kOfxImagePropPixelAspectRatio,
                         results.Double("OfxImageClipPropPAR_" + clip->name()));
    properties.SetString(kOfxImageClipPropUnmappedComponents, ComponentsName(config_.components));
    properties.SetString(kOfxImageClipPropUnmappedPixelDepth, DepthName(config_.depth));
    properties.SetString(kOfxImageEffectPropPreMultiplication,
                         is_output ? results.String(kOfxImageEffectPropPreMultiplication)
                                   : config_.premultiplication);
    properties.SetDouble(kOfxImageEffectPropFrameRate, config_.frame_rate);
    properties.SetDouble(kOfxImageEffectPropUnmappedFrameRate, config_.frame_rate);
    properties.SetDoubles(kOfxImageEffectPropFrameRange,
                          {config_.frame_range.min, config_.frame_range.max});
    properties.SetDoubles(kOfxImageEffectPropUnmappedFrameRange,
                          {config_.frame_range.min, config_.frame_range.max});
    properties.SetInt(kOfxImageClipPropConnected, is_output || config_.source_connected ? 1 : 0);
  }
  return status;
}

// --- Frames -----------------------------------------------------------------------

Instance::HeldFrame& Instance::Hold(const FrameRequest& frame) {
  const std::lock_guard lock(frames_mutex_);
  for (const HeldFrame& held : frames_) {
    if (held.request->time == frame.time) {
      TestFault("two frames at time " + TimeText(frame.time) + " render at once on " +
                effect_.label());
    }
  }
  HeldFrame held{&frame, {}, {}, {}, {}};
  if (frame.audit_images && frame.source != nullptr) {
    held.source_before = frame.source->Snapshot();
  }
  if (frame.audit_images && frame.output != nullptr) {
    held.output_before = frame.output->Snapshot();
  }
  frames_.push_back(std::move(held));
  return frames_.back();
}

void Instance::LetGo(const FrameRequest& frame) {
  HeldFrame held;
  {
    const std::lock_guard lock(frames_mutex_);
    const auto it = std::find_if(frames_.begin(), frames_.end(),
                                 [&](const HeldFrame& h) { return h.request == &frame; });
    held = std::move(*it);
    frames_.erase(it);
  }
  ComplaintLog& log = effect_.host().complaint_log();
  for (const auto& lease : held.leases) {
    if (!lease->released()) {
      log.Add(ComplaintKind::kLeak, lease->label() + " was fetched and never released");
    }
  }
  if (!frame.audit_images) return;
  if (frame.source != nullptr) {
    if (const auto change = frame.source->FirstChange(held.source_before, true)) {
      log.Add(ComplaintKind::kSourceWritten,
              "the source image at time " + TimeText(frame.time) + " changed: " + *change);
    }
  }
  if (frame.output != nullptr) {
    if (const auto change = frame.output->FirstChange(held.output_before, false)) {
      log.Add(ComplaintKind::kOutsideOutput, "the output image at time " + TimeText(frame.time) +
                                                 " changed outside its pixels: " + *change);
    }
  }
}

OfxStatus Instance::FetchImage(const Clip& clip, OfxTime time, OfxPropertySetHandle* image) {
  ComplaintLog& log = effect_.host().complaint_log();
  *image = nullptr;
  const std::lock_guard lock(frames_mutex_);
  const auto held = std::find_if(frames_.begin(), frames_.end(),
                                 [&](const HeldFrame& h) { return h.request->time == time; });
  if (held == frames_.end()) {
    log.Add(ComplaintKind::kRefusal, "clipGetImage on " + clip.properties().label() + " at time " +
                                         TimeText(time) + ", which no render is at: returned " +
                                         std::to_string(kOfxStatFailed));
    return kOfxStatFailed;
  }
  const bool is_output = clip.name() == kOfxImageEffectOutputClipName;
  const Image* source = nullptr;
  if (clip.name() == kOfxImageEffectSimpleSourceClipName) source = held->request->source;
  if (is_output) source = held->request->output;
  if (source == nullptr) {
    return effect_.host().config().missing_image_as_null ? kOfxStatOK : kOfxStatFailed;
  }

  const FramePart& part = held->part;
  ImagePart shown = source->Whole();
  if (part.crop) shown = source->Cropped(Intersection(*part.crop, source->layout().bounds));
  if (part.upper_field) shown = source->Field(*part.upper_field);
  auto lease = std::make_unique<ImageLease>(
      log, effect_.label() + "/" + clip.name() + "@" + TimeText(time), *source, shown);
  if (is_output && effect_.host().config().output_label_from_clip_preferences) {
    lease->properties().SetString(kOfxImageEffectPropPreMultiplication,
                                  clip.properties().String(kOfxImageEffectPropPreMultiplication));
  }
  if (fetch_hook_) {
    const FetchOverride decision = fetch_hook_(clip.name(), time, lease->properties());
    if (decision.status != kOfxStatOK) return decision.status;
    if (decision.no_image) return kOfxStatOK;
  }
  *image = lease->properties().handle();
  held->leases.push_back(std::move(lease));
  return kOfxStatOK;
}

bool Instance::AskAbort() {
  if (OnSpawnedThread()) abort_checks_on_spawned_threads_.fetch_add(1);
  const int checks = abort_checks_.fetch_add(1);
  return abort_after_.has_value() && checks >= *abort_after_;
}

OfxRectD Instance::ClipRegionOfDefinition(const Clip& clip, OfxTime time) {
  const std::lock_guard lock(frames_mutex_);
  for (const HeldFrame& held : frames_) {
    if (held.request->time != time) continue;
    const Image* image =
        clip.name() == kOfxImageEffectOutputClipName ? held.request->output : held.request->source;
    if (image != nullptr) {
      return ToDouble(image->layout().region_of_definition.value_or(image->layout().bounds));
    }
  }
  return {0.0, 0.0, config_.project_size.x, config_.project_size.y};
}

OfxStatus Instance::AskRegions(const FrameRequest& frame, const OfxRectI& window) {
  ComplaintLog& log = effect_.host().complaint_log();
  PropertySet rod_in("arguments of " kOfxImageEffectActionGetRegionOfDefinition, log,
                     RegionOfDefinitionArguments());
  PropertySet rod_out("results of " kOfxImageEffectActionGetRegionOfDefinition, log,
                      RegionOfDefinitionResults());
  rod_in.SetDouble(kOfxPropTime, frame.time);
  rod_in.SetDoubles(kOfxImageEffectPropRenderScale, {frame.render_scale.x, frame.render_scale.y});
  const OfxRectD source_rod =
      frame.source != nullptr ? ToDouble(frame.source->layout().region_of_definition.value_or(
                                    frame.source->layout().bounds))
                              : OfxRectD{0.0, 0.0, config_.project_size.x, config_.project_size.y};
  rod_out.SetDoubles(kOfxImageEffectPropRegionOfDefinition, Parts(source_rod));
  if (const OfxStatus status = Call(kOfxImageEffectActionGetRegionOfDefinition, &rod_in, &rod_out);
      !Succeeded(status)) {
    return status;
  }

  PropertySet roi_in("arguments of " kOfxImageEffectActionGetRegionsOfInterest, log,
                     RegionsOfInterestArguments());
  PropertySet roi_out("results of " kOfxImageEffectActionGetRegionsOfInterest, log);
  roi_in.SetDouble(kOfxPropTime, frame.time);
  roi_in.SetDoubles(kOfxImageEffectPropRenderScale, {frame.render_scale.x, frame.render_scale.y});
  roi_in.SetDoubles(kOfxImageEffectPropRegionOfInterest, Parts(ToDouble(window)));
  for (const auto& clip : effect_.clips()) {
    if (clip->name() == kOfxImageEffectOutputClipName) continue;
    const std::string name = "OfxImageClipPropRoI_" + clip->name();
    const PropertyRow row[] = {{name.c_str(), PropertyType::kDouble, 4, Writer::kPlugin, "0"}};
    roi_out.Add(row);
    roi_out.SetDoubles(name, Parts(ToDouble(window)));
  }
  return Call(kOfxImageEffectActionGetRegionsOfInterest, &roi_in, &roi_out);
}

std::optional<std::string> Instance::AskIdentity(const FrameRequest& frame, const OfxRectI& window,
                                                 OfxStatus& status) {
  ComplaintLog& log = effect_.host().complaint_log();
  PropertySet in("arguments of " kOfxImageEffectActionIsIdentity, log, IsIdentityArguments());
  PropertySet out("results of " kOfxImageEffectActionIsIdentity, log, IsIdentityResults());
  in.SetDouble(kOfxPropTime, frame.time);
  in.SetString(kOfxImageEffectPropFieldToRender, frame.field);
  in.SetInts(kOfxImageEffectPropRenderWindow, {window.x1, window.y1, window.x2, window.y2});
  in.SetDoubles(kOfxImageEffectPropRenderScale, {frame.render_scale.x, frame.render_scale.y});
  out.SetDouble(kOfxPropTime, frame.time);
  status = Call(kOfxImageEffectActionIsIdentity, &in, &out);
  if (status != kOfxStatOK) return std::nullopt;
  return out.String(kOfxPropName);
}

void Instance::CopyAsIdentity(const FrameRequest& frame, std::string_view clip,
                              const OfxRectI& window) {
  const Image* from = clip == kOfxImageEffectSimpleSourceClipName ? frame.source : nullptr;
  Image* to = frame.output;
  if (from == nullptr || to == nullptr) return;
  const OfxRectI area =
      Intersection(Intersection(window, from->layout().bounds), to->layout().bounds);
  const std::size_t bytes = std::min(from->pixel_bytes(), to->pixel_bytes());
  for (int y = area.y1; y < area.y2; ++y) {
    for (int x = area.x1; x < area.x2; ++x) {
      std::memcpy(to->PixelAddress(x, y), from->PixelAddress(x, y), bytes);
    }
  }
}

FrameOutcome Instance::RenderOne(const FrameRequest& frame) {
  const OfxRectI window = frame.render_window.value_or(
      frame.output != nullptr ? frame.output->layout().bounds : OfxRectI{0, 0, 0, 0});
  if (const OfxStatus status = AskRegions(frame, window); !Succeeded(status)) {
    return {status, false};
  }
  OfxStatus identity_status = kOfxStatOK;
  if (const auto clip = AskIdentity(frame, window, identity_status)) {
    CopyAsIdentity(frame, *clip, window);
    return {kOfxStatOK, true};
  }
  if (!Succeeded(identity_status)) return {identity_status, false};

  const HostConfig& host = effect_.host().config();
  const bool tiled =
      host.tiles_from_instance && effect_.properties().Int(kOfxImageEffectPropSupportsTiles) != 0;
  const bool fields_apart =
      host.interlaced &&
      plugin_->descriptor().properties().Int(kOfxImageEffectPluginPropFieldRenderTwiceAlways) != 0;
  if (fields_apart && frame.output != nullptr) {
    OfxStatus status = kOfxStatOK;
    for (const bool upper : {false, true}) {
      const ImagePart field = frame.output->Field(upper);
      if (status == kOfxStatOK) {
        status = RenderAction(frame, field.bounds, field.field, {std::nullopt, upper});
      }
    }
    return {status, false};
  }
  const std::string field = host.interlaced ? kOfxImageFieldBoth : frame.field;
  if (!tiled) return {RenderAction(frame, window, field, {}), false};
  // Three strips, the last taking what is left.
  const int strip = std::max(1, (window.y2 - window.y1 + 2) / 3);
  OfxStatus status = kOfxStatOK;
  for (int y = window.y1; y < window.y2 && status == kOfxStatOK; y += strip) {
    const OfxRectI tile{window.x1, y, window.x2, std::min(window.y2, y + strip)};
    status = RenderAction(frame, tile, field, {tile, std::nullopt});
  }
  return {status, false};
}

void Instance::ShowPart(const FrameRequest& frame, FramePart part) {
  const std::lock_guard lock(frames_mutex_);
  for (HeldFrame& held : frames_) {
    if (held.request == &frame) held.part = part;
  }
}

OfxStatus Instance::RenderAction(const FrameRequest& frame, const OfxRectI& window,
                                 const std::string& field, FramePart part) {
  ShowPart(frame, part);
  PropertySet in("arguments of " kOfxImageEffectActionRender, effect_.host().complaint_log(),
                 RenderArguments());
  in.SetDouble(kOfxPropTime, frame.time);
  in.SetString(kOfxImageEffectPropFieldToRender, field);
  in.SetInts(kOfxImageEffectPropRenderWindow, {window.x1, window.y1, window.x2, window.y2});
  in.SetDoubles(kOfxImageEffectPropRenderScale, {frame.render_scale.x, frame.render_scale.y});
  const OfxStatus status = Call(kOfxImageEffectActionRender, &in, nullptr);
  ShowPart(frame, {});
  return status;
}

FrameOutcome Instance::Render(const FrameRequest& frame) {
  return RenderSequence(std::span(&frame, 1)).front();
}

std::vector<FrameOutcome> Instance::RenderSequence(std::span<const FrameRequest> frames) {
  if (frames.empty()) return {};
  PropertySet sequence("arguments of the sequence render actions", effect_.host().complaint_log(),
                       SequenceRenderArguments());
  OfxTime first = frames.front().time;
  OfxTime last = first;
  for (const FrameRequest& frame : frames) {
    first = std::min(first, frame.time);
    last = std::max(last, frame.time);
  }
  sequence.SetDoubles(kOfxImageEffectPropFrameRange, {first, last});
  sequence.SetDoubles(kOfxImageEffectPropRenderScale,
                      {frames.front().render_scale.x, frames.front().render_scale.y});

  std::vector<FrameOutcome> outcomes;
  for (const FrameRequest& frame : frames) Hold(frame);
  const OfxStatus begun = Call(kOfxImageEffectActionBeginSequenceRender, &sequence, nullptr);
  for (const FrameRequest& frame : frames) {
    outcomes.push_back(Succeeded(begun) ? RenderOne(frame) : FrameOutcome{begun, false});
  }
  if (Succeeded(begun)) Call(kOfxImageEffectActionEndSequenceRender, &sequence, nullptr);
  for (const FrameRequest& frame : frames) LetGo(frame);
  return outcomes;
}

}  // namespace hostsim::ofx
