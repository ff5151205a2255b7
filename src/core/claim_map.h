// Which entry claims each pixel of a picture, as the effect decides it, for
// showing a key rather than applying it: the picture is not changed.
#pragma once

#include <cstdint>

#include "core/colour_entry_table.h"
#include "core/effect.h"
#include "core/image_view.h"
#include "core/rule_modes.h"
#include "core/selection_bounds.h"

namespace huesieve {

// A pixel's code: 0 when no entry claims it, 1 + k when entry k does, with
// kFeatheredClaim added when entry k is enabled and the pixel lies in its
// feather band (its alpha ramps).
inline constexpr std::uint8_t kFeatheredClaim = 0x80;

// Writes one code a pixel into `codes`, row after row, `pixels_per_row` a row,
// and returns the bounds the effect's render would give: the render itself,
// with the key shown rather than applied (RenderOptions::claim_codes).
// Colours are judged as `judge` says, and a premultiplied picture's by their
// unpremultiplied colours, as the effect judges them.
template <typename Format>
SelectionBounds MapClaims(const ImageView& image, const ColourEntryTable& table, JudgeColours judge,
                          AlphaMode alpha, std::uint8_t* codes);

}  // namespace huesieve
