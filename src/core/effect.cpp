#include "core/effect.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <type_traits>

#include "core/cell_cache.h"
#include "core/claim_map.h"
#include "core/colour_rule.h"
#include "core/effect_walk.h"
#include "core/entry_thresholds.h"
#include "core/frame_rule.h"
#include "core/last_colour_memo.h"
#include "core/modal_pixels.h"
#include "core/pass_kernels.h"
#include "core/pixel_format_list.h"
#include "core/premultiplied.h"
#include "core/srgb_decision.h"

namespace huesieve {
namespace {

// Pixels judged at a time where the judged pixels go nowhere the host sees
// (outside the window) or where the source must be kept while its row is
// judged (premultiplied in place): a small buffer on the stack, no
// allocation.
constexpr std::int64_t kScratchPixels = 256;

// The row kernels judge and write straight pixels in every mode, and
// premultiplied ones (unpremultiplied first) where the feather band replaces
// the alpha. A premultiplied picture whose feather bands fade is judged
// apart: the frame's decision colours judged by the 8-bit kernel on a rule of
// its own, which shares the frame's cells, as every format's rule over the
// same entries does.
constexpr bool JudgedApart(const RuleModes& modes, AlphaMode alpha) {
  return alpha == AlphaMode::kPremultiplied && modes.feathered == FeatheredAlpha::kFades;
}

// The modes the row kernels are compiled for: a premultiplied pixel is
// unpremultiplied before them and premultiplied after, as the plain rule's are.
constexpr RuleModes KernelModes(const RuleModes& modes, AlphaMode alpha) {
  if (alpha == AlphaMode::kStraight) return modes;
  return {modes.judge, FeatheredAlpha::kReplaces};
}

// The frame's rule and a worker's cell cache live on the stack of a render
// thread: keep them small.
static_assert(sizeof(FrameRule<Argb16>) + sizeof(CellCache) < 96 * 1024);

// The table a shown key is judged by: every entry on and without a feather
// band claims exactly the colours it claimed, in the same order, and keeps
// them as they are, so a pixel the kernel clears was claimed by none.
ColourEntryTable ShownKeyTable(const ColourEntryTable& entries) {
  ColourEntryTable shown = entries;
  shown.enabled.fill(1);
  shown.softness.fill(0.0f);
  return shown;
}

// A shown key: the thresholds of the table as given, for the feather band
// that the shown table leaves out, and how colours are judged.
struct ShownKey {
  EntryThresholds given;
  const SrgbDecisionTables* srgb;  // null when judged as stored
};

// Every bit of a pixel clear, read as whole words (pixels are 4, 8 or 16
// bytes).
template <typename Format>
bool AllZero(const std::byte* pixel) {
  constexpr std::size_t kWord = std::min<std::size_t>(sizeof(typename Format::Pixel), 8);
  using Word = std::conditional_t<kWord == 8, std::uint64_t, std::uint32_t>;
  Word bits = 0;
  for (std::size_t at = 0; at < sizeof(typename Format::Pixel); at += kWord) {
    Word word;
    std::memcpy(&word, pixel + at, kWord);
    bits |= word;
  }
  return bits == 0;
}

struct ModalRule {
  RuleModes modes;
  const SrgbDecisionTables* srgb;  // null when judged as stored
  const FrameRule<Rgba8>& decisions;
  RowKernel<Rgba8> kernel;
};

// One worker's renderer of rows: one row's spans judged with the frame's shared
// rule and the worker's own cell cache and buffers, their claims gathered in
// picture columns.
template <typename Format>
class RowRenderer {
 public:
  using Pixel = typename Format::Pixel;
  static constexpr std::int64_t kBytes = sizeof(Pixel);

  RowRenderer(const FrameRule<Format>& rule, RowKernel<Format> kernel, AlphaMode alpha,
              const ModalRule* modal, const ShownKey* shown)
      : rule_(rule),
        cache_(rule.cells()),
        kernel_(kernel),
        premultiplied_(alpha == AlphaMode::kPremultiplied),
        modal_(modal),
        shown_(shown) {}

  // Columns `begin` to `end` of `from` judged into the same columns of
  // `to`, or only judged when `to` is null; with a shown key, their claim
  // codes written from `codes` on instead.
  void Span(const std::byte* from, std::byte* to, std::int64_t begin, std::int64_t end,
            RowClaims& claims, std::uint8_t* codes) {
    if (begin >= end) return;
    const std::byte* source = from + begin * kBytes;
    std::byte* target = to == nullptr ? nullptr : to + begin * kBytes;
    if (shown_ != nullptr) {
      for (std::int64_t done = 0; done < end - begin; done += kScratchPixels) {
        const std::int64_t pixels = std::min(kScratchPixels, end - begin - done);
        Show(source + done * kBytes, pixels, begin + done, codes + begin + done, claims);
      }
      return;
    }
    if (modal_ != nullptr) {
      for (std::int64_t done = 0; done < end - begin; done += kScratchPixels) {
        const std::int64_t pixels = std::min(kScratchPixels, end - begin - done);
        JudgeModal(source + done * kBytes, target == nullptr ? nullptr : target + done * kBytes,
                   pixels, begin + done, claims);
      }
      return;
    }
    if (target != nullptr && !premultiplied_) {
      Note(kernel_(source, target, end - begin, rule_, cache_), begin, claims);
      return;
    }
    for (std::int64_t done = 0; done < end - begin; done += kScratchPixels) {
      const std::int64_t pixels = std::min(kScratchPixels, end - begin - done);
      const std::byte* given = source + done * kBytes;
      if (target == nullptr) {
        JudgeOnly(given, pixels, begin + done, claims);
      } else {
        JudgePremultiplied(given, target + done * kBytes, pixels, begin + done, claims);
      }
    }
  }

 private:
  static void Note(const RowClaims& span, std::int64_t offset, RowClaims& claims) {
    if (span.first < 0) return;
    if (claims.first < 0) claims.first = offset + span.first;
    claims.last = offset + span.last;
  }

  void JudgeOnly(const std::byte* given, std::int64_t pixels, std::int64_t offset,
                 RowClaims& claims) {
    std::byte* judged = scratch_.data();
    if (premultiplied_) {
      UnpremultiplyRow<Format>(given, judged, pixels);
      Note(kernel_(judged, judged, pixels, rule_, cache_), offset, claims);
    } else {
      Note(kernel_(given, judged, pixels, rule_, cache_), offset, claims);
    }
  }

  // The source is kept aside first when the target is the source itself.
  void JudgePremultiplied(const std::byte* given, std::byte* target, std::int64_t pixels,
                          std::int64_t offset, RowClaims& claims) {
    const std::byte* source = given;
    if (given == target) {
      std::memcpy(kept_.data(), given, static_cast<std::size_t>(pixels * kBytes));
      source = kept_.data();
    }
    UnpremultiplyRow<Format>(source, target, pixels);
    Note(kernel_(target, target, pixels, rule_, cache_), offset, claims);
    PremultiplyRow<Format>(source, target, pixels);
  }

  // The kernel decides every pixel the key leaves unclaimed (the most, in
  // most frames) on the shown table; only the others are looked up, a run of
  // one colour at the cost of one.
  void Show(const std::byte* given, std::int64_t pixels, std::int64_t offset, std::uint8_t* codes,
            RowClaims& claims) {
    const std::byte* straight = given;
    if (premultiplied_) {
      UnpremultiplyRow<Format>(given, scratch_.data(), pixels);
      straight = scratch_.data();
    }
    const RowClaims judged = kernel_(straight, kept_.data(), pixels, rule_, cache_);
    Note(judged, offset, claims);
    // Outside its first and last claimed pixel the kernel has claimed none.
    const std::int64_t first = judged.first < 0 ? pixels : judged.first;
    const std::int64_t last = judged.first < 0 ? pixels : judged.last + 1;
    std::memset(codes, 0, static_cast<std::size_t>(first));
    for (std::int64_t column = first; column < last; ++column) {
      const std::byte* pixel = straight + column * kBytes;
      if (AllZero<Format>(kept_.data() + column * kBytes) && !AllZero<Format>(pixel)) {
        codes[column] = 0;
        continue;
      }
      const Pixel read = LoadPixel<Format>(pixel);
      const Rgb8 colour =
          shown_->srgb == nullptr
              ? DecisionColour<Format, JudgeColours::kAsStored>(read, nullptr)
              : DecisionColour<Format, JudgeColours::kSrgbEncoded>(read, shown_->srgb);
      codes[column] = code_memo_.For(colour, [this](Rgb8 c) { return ClaimCode(c); });
    }
    std::memset(codes + last, 0, static_cast<std::size_t>(pixels - last));
  }

  // The shown table names the claiming entry; whether the colour lies in
  // its feather band is the given table's to say.
  std::uint8_t ClaimCode(Rgb8 colour) {
    const Claim claim = rule_.ClaimOf(cache_, colour);
    if (claim.entry < 0) return 0;
    const auto k = static_cast<std::size_t>(claim.entry);
    const EntryThresholds& given = shown_->given;
    const bool feathered =
        given.enabled[k] != 0 && static_cast<std::uint32_t>(SquaredRedmeanDistance(
                                     colour.red, colour.green, colour.blue, given.red[k],
                                     given.green[k], given.blue[k])) >= given.ramp_from[k];
    return static_cast<std::uint8_t>(1 + claim.entry + (feathered ? kFeatheredClaim : 0));
  }

  // The decision colours judged by the 8-bit kernel, which alone decides
  // the cleared pixels (the most, in most frames); every other pixel takes
  // its outcome from the format's rule, a run of one colour at the cost of one.
  // In place, each pixel is read before it is written.
  void JudgeModal(const std::byte* given, std::byte* target, std::int64_t pixels,
                  std::int64_t offset, RowClaims& claims) {
    const std::byte* straight = given;
    if (premultiplied_) {
      UnpremultiplyRow<Format>(given, scratch_.data(), pixels);
      straight = scratch_.data();
    }
    DecisionRow<Format>(straight, decisions_.data(), pixels, modal_->srgb);
    Note(modal_->kernel(reinterpret_cast<const std::byte*>(decisions_.data()),
                        reinterpret_cast<std::byte*>(judged_.data()), pixels, modal_->decisions,
                        cache_),
         offset, claims);
    if (target == nullptr) return;
    for (std::int64_t column = 0; column < pixels; ++column) {
      const std::uint8_t* decision = decisions_.data() + column * 4;
      const std::uint8_t* judged = judged_.data() + column * 4;
      const Rgb8 colour{decision[0], decision[1], decision[2]};
      std::byte* at = target + column * kBytes;
      if ((judged[0] | judged[1] | judged[2] | judged[3]) == 0 &&
          (colour.red | colour.green | colour.blue) != 0) {
        std::memset(at, 0, kBytes);  // cleared: transparent black
        continue;
      }
      const ColourOutcome outcome =
          memo_.For(colour, [this](Rgb8 c) { return rule_.Outcome(cache_, c); });
      StorePixel<Format>(
          at, ModalOutcome<Format>(LoadPixel<Format>(given + column * kBytes),
                                   LoadPixel<Format>(straight + column * kBytes), outcome,
                                   premultiplied_, modal_->modes.feathered));
    }
  }

  const FrameRule<Format>& rule_;
  CellCache cache_;
  RowKernel<Format> kernel_;
  bool premultiplied_;
  const ModalRule* modal_;  // null: the row kernel judges and writes
  const ShownKey* shown_;   // null: the key is applied
  LastColourMemo<ColourOutcome> memo_;
  LastColourMemo<std::uint8_t> code_memo_;
  static constexpr std::size_t kScratchBytes = std::size_t{kScratchPixels} * sizeof(Pixel);
  static constexpr std::size_t kDecisionBytes = std::size_t{kScratchPixels} * 4;
  alignas(64) std::array<std::byte, kScratchBytes> scratch_;
  alignas(64) std::array<std::byte, kScratchBytes> kept_;
  alignas(64) std::array<std::uint8_t, kDecisionBytes> decisions_;
  alignas(64) std::array<std::uint8_t, kDecisionBytes> judged_;
};

// One frame's render, shared by every worker that takes part: the rule
// prepared once and only read, the next band to take, whether the host has
// aborted, and the bands' claimed rectangles merged. Bands are taken from a
// counter rather than dealt out in advance, so a worker the host runs late or
// slowly leaves its share to the others.
template <typename Format>
class FrameRender {
 public:
  FrameRender(const FrameWalk<Format>& walk, const ImageView& source, const ImageView& target,
              const ColourEntryTable& entries, const RuleModes& modes, const RenderOptions& options)
      : source_(source),
        target_(target),
        window_(options.claim_codes != nullptr ? PictureRect{}
                                               : WindowWithin(source, options.window)),
        options_(options),
        rule_(options.claim_codes != nullptr ? ShownKeyTable(entries) : entries),
        kernel_(walk.kernels.For(options.claim_codes != nullptr
                                     ? RuleModes{modes.judge, FeatheredAlpha::kReplaces}
                                     : KernelModes(modes, options.alpha))),
        rows_per_band_(std::max<std::int64_t>(
            1, walk.pixels_per_band / std::max<std::int64_t>(1, source.pixels_per_row))),
        bands_((source.rows + rows_per_band_ - 1) / rows_per_band_),
        claimed_(source.pixels_per_row) {
    if (options.claim_codes != nullptr) {
      shown_.emplace(ShownKey{MakeEntryThresholds(entries),
                              modes.judge == JudgeColours::kSrgbEncoded ? &SrgbTables() : nullptr});
      return;
    }
    if (!JudgedApart(modes, options.alpha)) return;
    decision_rule_.emplace(entries);
    modal_.emplace(ModalRule{modes,
                             modes.judge == JudgeColours::kSrgbEncoded ? &SrgbTables() : nullptr,
                             *decision_rule_, walk.decision_kernels.For({})});
  }

  std::int64_t bands() const { return bands_; }

  // A BandWorkers job: the calling worker judges bands until none is left.
  static void Work(unsigned int /*worker*/, unsigned int /*workers*/, void* render) {
    static_cast<FrameRender*>(render)->RenderBands();
  }

  void RenderBands() {
    RowRenderer<Format> renderer(rule_, kernel_, options_.alpha, modal_ ? &*modal_ : nullptr,
                                 shown_ ? &*shown_ : nullptr);
    while (!aborted_.load(std::memory_order_relaxed)) {
      const std::int64_t band = next_band_.fetch_add(1, std::memory_order_relaxed);
      if (band >= bands_) return;
      if (options_.abort != nullptr && options_.abort->Aborted()) {
        aborted_.store(true, std::memory_order_relaxed);
        return;
      }
      const std::int64_t first = band * rows_per_band_;
      claimed_.Merge(RenderRows(renderer, first, std::min(source_.rows, first + rows_per_band_)));
    }
  }

  // Once every worker has returned.
  std::optional<SelectionBounds> Bounds() const {
    if (aborted_.load(std::memory_order_relaxed)) return std::nullopt;
    return claimed_.Merged().Bounds();
  }

 private:
  // A row that meets the window is judged in three spans (beside it on the
  // left, inside it, beside it on the right), and only the middle one is
  // written.
  ClaimedRectangle RenderRows(RowRenderer<Format>& renderer, std::int64_t first,
                              std::int64_t last) {
    const std::int64_t width = source_.pixels_per_row;
    ClaimedRectangle rectangle(width);
    for (std::int64_t row = first; row < last; ++row) {
      const std::byte* from = source_.Row(row);
      std::uint8_t* codes =
          options_.claim_codes == nullptr ? nullptr : options_.claim_codes + row * width;
      RowClaims claims;
      if (row >= window_.top && row < window_.bottom) {
        renderer.Span(from, nullptr, 0, window_.left, claims, codes);
        renderer.Span(from, target_.Row(row), window_.left, window_.right, claims, codes);
        renderer.Span(from, nullptr, window_.right, width, claims, codes);
      } else {
        renderer.Span(from, nullptr, 0, width, claims, codes);
      }
      if (claims.first >= 0) rectangle.NoteRow(row, claims.first, claims.last);
    }
    return rectangle;
  }

  const ImageView& source_;
  const ImageView& target_;
  const PictureRect window_;
  const RenderOptions& options_;
  const FrameRule<Format> rule_;
  const RowKernel<Format> kernel_;
  const std::int64_t rows_per_band_;
  const std::int64_t bands_;
  std::optional<FrameRule<Rgba8>> decision_rule_;  // judged apart only
  std::optional<ModalRule> modal_;
  std::optional<ShownKey> shown_;  // a shown key only
  // Apart from the read-only members above and from each other, so that
  // workers taking bands do not slow those reading the rule.
  alignas(64) std::atomic<std::int64_t> next_band_{0};
  alignas(64) std::atomic<bool> aborted_{false};
  alignas(64) SharedClaimedRectangle claimed_;
};

}  // namespace

PictureRect WindowWithin(const ImageView& picture, const std::optional<PictureRect>& window) {
  const PictureRect whole{0, 0, picture.pixels_per_row, picture.rows};
  if (!window) return whole;
  PictureRect held{std::max(window->left, whole.left), std::max(window->top, whole.top),
                   std::min(window->right, whole.right), std::min(window->bottom, whole.bottom)};
  held.right = std::max(held.right, held.left);
  held.bottom = std::max(held.bottom, held.top);
  return held;
}

template <typename Format>
void CopyWindow(const ImageView& source, const ImageView& target, const PictureRect& window) {
  if (source.first_row == target.first_row && source.row_stride == target.row_stride) return;
  const auto bytes =
      static_cast<std::size_t>(window.right - window.left) * sizeof(typename Format::Pixel);
  for (std::int64_t row = window.top; row < window.bottom; ++row) {
    std::memmove(PixelAt<Format>(target, window.left, row),
                 PixelAt<Format>(source, window.left, row), bytes);
  }
}

// The bands are shared between as many of the host's workers as there are
// bands to take; the calling thread then judges whatever none of them took
// (all of it without workers, or when the host could not start them).
template <typename Format>
std::optional<SelectionBounds> JudgeIntoWindow(const FrameWalk<Format>& walk,
                                               const ImageView& source, const ImageView& target,
                                               const ColourEntryTable& entries,
                                               const RuleModes& modes,
                                               const RenderOptions& options) {
  FrameRender<Format> render(walk, source, target, entries, modes, options);
  if (options.workers != nullptr && render.bands() > 1) {
    const unsigned int workers =
        static_cast<unsigned int>(std::min<std::int64_t>(options.workers->Count(), render.bands()));
    if (workers > 1) options.workers->Run(&FrameRender<Format>::Work, workers, &render);
  }
  render.RenderBands();
  return render.Bounds();
}

template <typename Format>
std::optional<SelectionBounds> JudgeIntoWindow(const ImageView& source, const ImageView& target,
                                               const ColourEntryTable& entries,
                                               const RuleModes& modes,
                                               const RenderOptions& options) {
  return JudgeIntoWindow<Format>(ProcessWalk<Format>(), source, target, entries, modes, options);
}

template <typename Format>
EffectOutcome RenderEffect(const FrameWalk<Format>& walk, const ImageView& source,
                           const ImageView& target, const EffectSettings& settings,
                           const RenderOptions& options) {
  return RenderEffectJudgedBy<Format>(
      source, target, settings, options,
      [&] {
        return JudgeIntoWindow<Format>(walk, source, target, settings.entries, settings.modes,
                                       options);
      },
      [&target] { return target; });
}

template <typename Format>
EffectOutcome RenderEffect(const ImageView& source, const ImageView& target,
                           const EffectSettings& settings, const RenderOptions& options) {
  return RenderEffect<Format>(ProcessWalk<Format>(), source, target, settings, options);
}

#define HUESIEVE_INSTANTIATE(Format)                                                         \
  template void CopyWindow<Format>(const ImageView&, const ImageView&, const PictureRect&);  \
  template std::optional<SelectionBounds> JudgeIntoWindow<Format>(                           \
      const FrameWalk<Format>&, const ImageView&, const ImageView&, const ColourEntryTable&, \
      const RuleModes&, const RenderOptions&);                                               \
  template std::optional<SelectionBounds> JudgeIntoWindow<Format>(                           \
      const ImageView&, const ImageView&, const ColourEntryTable&, const RuleModes&,         \
      const RenderOptions&);                                                                 \
  template EffectOutcome RenderEffect<Format>(const FrameWalk<Format>&, const ImageView&,    \
                                              const ImageView&, const EffectSettings&,       \
                                              const RenderOptions&);                         \
  template EffectOutcome RenderEffect<Format>(const ImageView&, const ImageView&,            \
                                              const EffectSettings&, const RenderOptions&);
HUESIEVE_FOR_EACH_PIXEL_FORMAT(HUESIEVE_INSTANTIATE)
#undef HUESIEVE_INSTANTIATE

}  // namespace huesieve
