#include "core/effect.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "core/cell_cache.h"
#include "core/frame_rule.h"
#include "core/pass_kernels.h"
#include "core/pixel_format_list.h"
#include "core/premultiplied.h"
#include "core/selection_pass.h"

namespace huesieve {
namespace {

// Pixels judged at a time where the judged pixels go nowhere the host sees
// (outside the window) or where the source must be kept while its row is
// judged (premultiplied in place): a small buffer on the stack, no
// allocation.
constexpr std::int64_t kScratchPixels = 256;

// One row's spans judged with the frame's rule, their claims gathered in
// picture columns.
template <typename Format>
class RowJudge {
 public:
  using Pixel = typename Format::Pixel;
  static constexpr std::int64_t kBytes = sizeof(Pixel);

  RowJudge(const ColourEntryTable& entries, const RenderOptions& options)
      : rule_(entries),
        cache_(rule_.cells()),
        kernel_(RowKernelFor<Format>(options.isa)),
        premultiplied_(options.alpha == AlphaMode::kPremultiplied) {}

  // Columns `begin` to `end` of `from` judged into the same columns of
  // `to`, or only judged when `to` is null.
  void Span(const std::byte* from, std::byte* to, std::int64_t begin, std::int64_t end,
            RowClaims& claims) {
    if (begin >= end) return;
    const std::byte* source = from + begin * kBytes;
    std::byte* target = to == nullptr ? nullptr : to + begin * kBytes;
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
      StraightenRow<Format>(given, judged, pixels);
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
    StraightenRow<Format>(source, target, pixels);
    Note(kernel_(target, target, pixels, rule_, cache_), offset, claims);
    PremultiplyRow<Format>(source, target, pixels);
  }

  FrameRule<Format> rule_;
  CellCache cache_;
  RowKernel<Format> kernel_;
  bool premultiplied_;
  static constexpr std::size_t kScratchBytes = std::size_t{kScratchPixels} * sizeof(Pixel);
  alignas(64) std::array<std::byte, kScratchBytes> scratch_;
  alignas(64) std::array<std::byte, kScratchBytes> kept_;
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

// Rows in order, as the selection pass walks them; a row that meets the
// window is judged in three spans (beside it on the left, inside it, beside
// it on the right), and only the middle one is written.
template <typename Format>
std::optional<SelectionBounds> JudgeIntoWindow(const ImageView& source, const ImageView& target,
                                               const ColourEntryTable& entries,
                                               const RenderOptions& options) {
  const PictureRect window = WindowWithin(source, options.window);
  const std::int64_t width = source.pixels_per_row;
  const std::int64_t rows_between_checks =
      std::max<std::int64_t>(1, kPixelsBetweenAbortChecks / std::max<std::int64_t>(1, width));
  RowJudge<Format> judge(entries, options);
  ClaimedRectangle rectangle(width);
  for (std::int64_t row = 0; row < source.rows; ++row) {
    if (options.abort != nullptr && row % rows_between_checks == 0 && options.abort->Aborted()) {
      return std::nullopt;
    }
    const std::byte* from = source.Row(row);
    RowClaims claims;
    if (row >= window.top && row < window.bottom) {
      judge.Span(from, nullptr, 0, window.left, claims);
      judge.Span(from, target.Row(row), window.left, window.right, claims);
      judge.Span(from, nullptr, window.right, width, claims);
    } else {
      judge.Span(from, nullptr, 0, width, claims);
    }
    if (claims.first >= 0) rectangle.NoteRow(row, claims.first, claims.last);
  }
  return rectangle.Bounds();
}

template <typename Format>
EffectOutcome RenderEffect(const ImageView& source, const ImageView& target,
                           const EffectSettings& settings, const RenderOptions& options) {
  return RenderEffect<Format>(source, target, settings, options, [&target] { return target; });
}

#define HUESIEVE_INSTANTIATE(Format)                                                        \
  template void CopyWindow<Format>(const ImageView&, const ImageView&, const PictureRect&); \
  template std::optional<SelectionBounds> JudgeIntoWindow<Format>(                          \
      const ImageView&, const ImageView&, const ColourEntryTable&, const RenderOptions&);   \
  template EffectOutcome RenderEffect<Format>(const ImageView&, const ImageView&,           \
                                              const EffectSettings&, const RenderOptions&);
HUESIEVE_FOR_EACH_PIXEL_FORMAT(HUESIEVE_INSTANTIATE)
#undef HUESIEVE_INSTANTIATE

}  // namespace huesieve
