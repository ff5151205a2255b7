#include "core/claim_map.h"

#include "core/pixel_format_list.h"

namespace huesieve {

// The effect's own walk with the key shown: a feather band's treatment of the
// alpha changes no claim.
template <typename Format>
SelectionBounds MapClaims(const ImageView& image, const ColourEntryTable& table, JudgeColours judge,
                          AlphaMode alpha, std::uint8_t* codes) {
  const EffectSettings settings{true, table, {judge, FeatheredAlpha::kReplaces}};
  RenderOptions options;
  options.alpha = alpha;
  options.claim_codes = codes;
  return RenderEffect<Format>(image, image, settings, options).bounds;
}

#define HUESIEVE_INSTANTIATE(Format)                                                    \
  template SelectionBounds MapClaims<Format>(const ImageView&, const ColourEntryTable&, \
                                             JudgeColours, AlphaMode, std::uint8_t*);
HUESIEVE_FOR_EACH_PIXEL_FORMAT(HUESIEVE_INSTANTIATE)
#undef HUESIEVE_INSTANTIATE

}  // namespace huesieve
