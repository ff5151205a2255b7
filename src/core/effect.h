// The whole effect as one call, whatever the host: the master switch, the
// pass over straight or premultiplied pictures, a render window, the host's
// abort, and the corner markers. A host layer translates its images and
// controls into these terms and calls RenderEffect; it never re-decides what
// the effect does. A host with workers to spare lends them (BandWorkers) and
// the frame is shared between them in bands of rows, with the same pixels and
// bounds as on one thread.
#pragma once

#include <cstdint>
#include <optional>

#include "core/band_workers.h"
#include "core/colour_entry_table.h"
#include "core/corner_markers.h"
#include "core/image_view.h"
#include "core/rule_modes.h"
#include "core/selection_bounds.h"

namespace huesieve {

// The effect's controls as the core takes them, whatever the host.
struct EffectSettings {
  bool enabled = false;      // the master switch, "Enable Effect"
  ColourEntryTable entries;  // tried in order
  RuleModes modes;           // how colours are judged and feather bands applied
};

// True when the settings change nothing: the output is the source.
constexpr bool IsIdentity(const EffectSettings& settings) { return !settings.enabled; }

// How the colour of a picture relates to its alpha (core/premultiplied.h).
enum class AlphaMode { kStraight, kPremultiplied };

// Lent by a host for one render; asked before each band of rows, never per
// pixel, and from any of the host's workers, several at once.
class RenderAbort {
 public:
  virtual bool Aborted() = 0;

 protected:
  ~RenderAbort() = default;
};

// The frame is judged in bands of rows of about this many pixels (and at
// least one row), a worker taking one band at a time and asking the abort
// before each: often enough to stop within a fraction of a millisecond and to
// leave no worker long alone on the frame's last band, seldom enough that the
// host's call and the shared counter cost nothing measurable
// (docs/speed.md, "Bands").
inline constexpr std::int64_t kPixelsPerBand = std::int64_t{1} << 16;

struct RenderOptions {
  AlphaMode alpha = AlphaMode::kStraight;  // the source's; the target is written the same way
  // The part of the target to write, in picture coordinates (columns, rows
  // from the top); the whole picture when absent. The bounds still come from
  // the whole source.
  std::optional<PictureRect> window = std::nullopt;
  RenderAbort* abort = nullptr;
  BandWorkers* workers = nullptr;  // none: the calling thread renders the frame alone
  // Set to show the key rather than apply it: which entry claims each pixel
  // of the source goes here when the effect is on, one code a pixel row
  // after row (claim_map.h); the target is left as it is and no markers are
  // drawn, and the bounds are those the render would give.
  std::uint8_t* claim_codes = nullptr;
};

enum class EffectStatus { kIdentity, kRendered, kAborted };
struct EffectOutcome {
  EffectStatus status;
  SelectionBounds bounds;  // when rendered
};

// A window held within the picture; the whole picture when there is none.
PictureRect WindowWithin(const ImageView& picture, const std::optional<PictureRect>& window);

// The source's window copied into the same window of the target; nothing
// when they are the same picture.
template <typename Format>
void CopyWindow(const ImageView& source, const ImageView& target, const PictureRect& window);

// Every pixel of the source judged, the window's written into the target as
// the rule leaves them; the bounds of the whole source, or none when the
// host aborted. Allocates nothing; each worker keeps its cell cache and row
// buffers on its own stack.
template <typename Format>
std::optional<SelectionBounds> JudgeIntoWindow(const ImageView& source, const ImageView& target,
                                               const ColourEntryTable& entries,
                                               const RuleModes& modes,
                                               const RenderOptions& options);

// The effect with `judge()` in JudgeIntoWindow's place: the one call's
// switch, copy and markers, whichever walk judges (core/effect_walk.h).
template <typename Format, typename Judge, typename Deliver>
EffectOutcome RenderEffectJudgedBy(const ImageView& source, const ImageView& target,
                                   const EffectSettings& settings, const RenderOptions& options,
                                   Judge judge, Deliver deliver) {
  const PictureRect window = WindowWithin(source, options.window);
  if (IsIdentity(settings)) {
    if (options.claim_codes != nullptr) return {EffectStatus::kIdentity, {}};
    CopyWindow<Format>(source, target, window);
    deliver();
    return {EffectStatus::kIdentity, {}};
  }
  const std::optional<SelectionBounds> bounds = judge();
  if (!bounds) return {EffectStatus::kAborted, {}};
  if (options.claim_codes != nullptr) return {EffectStatus::kRendered, *bounds};
  // Without a window the markers land wherever the delivered picture holds
  // them: the module's output may be larger than the input it judged.
  const ImageView marked = deliver();
  if (options.window) {
    DrawCornerMarkers<Format>(marked, *bounds, window);
  } else {
    DrawCornerMarkers<Format>(marked, *bounds);
  }
  return {EffectStatus::kRendered, *bounds};
}

// For a host that moves the judged picture itself before the markers (the
// After Effects module judges its input buffer in place, has the host copy it
// into the output, and draws the markers on the output, whether or not the
// copy succeeded): once the target holds the result (identity or rendered,
// not aborted), `deliver()` runs and returns the view the markers go on.
template <typename Format, typename Deliver>
EffectOutcome RenderEffect(const ImageView& source, const ImageView& target,
                           const EffectSettings& settings, const RenderOptions& options,
                           Deliver deliver) {
  return RenderEffectJudgedBy<Format>(
      source, target, settings, options,
      [&] {
        return JudgeIntoWindow<Format>(source, target, settings.entries, settings.modes, options);
      },
      deliver);
}

// Source judged into target (which may be the source itself, in place), then
// the four markers on target. Identity: the source copied into the target
// (nothing when they are the same memory), no markers.
template <typename Format>
EffectOutcome RenderEffect(const ImageView& source, const ImageView& target,
                           const EffectSettings& settings, const RenderOptions& options = {});

}  // namespace huesieve
