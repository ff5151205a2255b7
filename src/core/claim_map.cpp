#include "core/claim_map.h"

#include <algorithm>
#include <array>

#include "core/cell_cache.h"
#include "core/colour_rule.h"
#include "core/frame_rule.h"
#include "core/last_colour_memo.h"
#include "core/modal_pixels.h"
#include "core/pass_kernels.h"
#include "core/pixel_format_list.h"
#include "core/premultiplied.h"
#include "core/srgb_decision.h"

namespace huesieve {
namespace {

// Pixels whose decision colours are made at a time, on the stack.
constexpr std::int64_t kDecisionPixels = 256;

std::uint8_t ClaimCode(const Claim& claim) {
  if (claim.entry < 0) return 0;
  return static_cast<std::uint8_t>(1 + claim.entry + (claim.feathered ? kFeatheredClaim : 0));
}

}  // namespace

template <typename Format>
SelectionBounds MapClaims(const ImageView& image, const ColourEntryTable& table, JudgeColours judge,
                          AlphaMode alpha, std::uint8_t* codes) {
  constexpr std::int64_t kBytes = sizeof(typename Format::Pixel);
  const FrameRule<Format> rule(table);
  CellCache cache(rule.cells());
  ClaimedRectangle rectangle(image.pixels_per_row);
  LastColourMemo<std::uint8_t> memo;
  const auto code_of = [&rule, &cache](Rgb8 colour) {
    return ClaimCode(rule.ClaimOf(cache, colour));
  };
  // The decision colours the effect's modes make, from the same code.
  const SrgbDecisionTables* srgb = judge == JudgeColours::kSrgbEncoded ? &SrgbTables() : nullptr;
  std::array<std::uint8_t, kDecisionPixels * 4> decisions;
  alignas(16) std::array<std::byte, static_cast<std::size_t>(kDecisionPixels * kBytes)> straight;
  for (std::int64_t row = 0; row < image.rows; ++row) {
    RowClaims claims;
    for (std::int64_t begin = 0; begin < image.pixels_per_row; begin += kDecisionPixels) {
      const std::int64_t pixels = std::min(kDecisionPixels, image.pixels_per_row - begin);
      const std::byte* given = image.Row(row) + begin * kBytes;
      if (alpha == AlphaMode::kPremultiplied) {
        UnpremultiplyRow<Format>(given, straight.data(), pixels);
        given = straight.data();
      }
      DecisionRow<Format>(given, decisions.data(), pixels, srgb);
      for (std::int64_t i = 0; i < pixels; ++i, ++codes) {
        const std::uint8_t* decision = decisions.data() + i * 4;
        *codes = memo.For({decision[0], decision[1], decision[2]}, code_of);
        if (*codes != 0) claims.Note(begin + i);
      }
    }
    if (claims.first >= 0) rectangle.NoteRow(row, claims.first, claims.last);
  }
  return rectangle.Bounds();
}

#define HUESIEVE_INSTANTIATE(Format)                                                    \
  template SelectionBounds MapClaims<Format>(const ImageView&, const ColourEntryTable&, \
                                             JudgeColours, AlphaMode, std::uint8_t*);
HUESIEVE_FOR_EACH_PIXEL_FORMAT(HUESIEVE_INSTANTIATE)
#undef HUESIEVE_INSTANTIATE

}  // namespace huesieve
