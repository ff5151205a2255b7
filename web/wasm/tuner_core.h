// The tuner core's entry points (tuner_core.cpp): what the worker calls in
// the browser, and the benchmark natively. The settings are the core's
// EffectSettings, made by the one builder every host uses (the worker's
// through huesieve_effect_settings_set in tuner_settings.h).
#pragma once

#include <cstdint>

#include "core/effect.h"

extern "C" {

std::int32_t huesieve_render(const std::uint8_t* source, std::uint8_t* result, std::int32_t width,
                             std::int32_t height, const huesieve::EffectSettings* settings,
                             std::int32_t premultiplied, std::int32_t* bounds,
                             std::int32_t portable, std::int32_t workers);
void huesieve_map_claims(const std::uint8_t* source, std::uint8_t* codes, std::int32_t width,
                         std::int32_t height, const huesieve::EffectSettings* settings,
                         std::int32_t premultiplied, std::int32_t* bounds);

std::int32_t huesieve_render16(const std::uint16_t* source, std::uint16_t* result,
                               std::int32_t width, std::int32_t height,
                               const huesieve::EffectSettings* settings, std::int32_t premultiplied,
                               std::int32_t* bounds, std::int32_t portable, std::int32_t workers);
void huesieve_map_claims16(const std::uint16_t* source, std::uint8_t* codes, std::int32_t width,
                           std::int32_t height, const huesieve::EffectSettings* settings,
                           std::int32_t premultiplied, std::int32_t* bounds);

std::int32_t huesieve_render_float(const float* source, float* result, std::int32_t width,
                                   std::int32_t height, const huesieve::EffectSettings* settings,
                                   std::int32_t premultiplied, std::int32_t* bounds,
                                   std::int32_t portable, std::int32_t workers);
void huesieve_map_claims_float(const float* source, std::uint8_t* codes, std::int32_t width,
                               std::int32_t height, const huesieve::EffectSettings* settings,
                               std::int32_t premultiplied, std::int32_t* bounds);
void huesieve_display_float(const float* source, std::uint8_t* display, std::int32_t width,
                            std::int32_t height, std::int32_t premultiplied);

}  // extern "C"
