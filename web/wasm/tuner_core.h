// The tuner core's entry points (tuner_core.cpp): what the worker calls in
// the browser, and the benchmark natively.
#pragma once

#include <cstdint>

#include "core/colour_entry_table.h"

extern "C" {

huesieve::ColourEntryTable* huesieve_table_new();
void huesieve_table_set(huesieve::ColourEntryTable* table, std::int32_t entry, std::int32_t enabled,
                        std::int32_t red, std::int32_t green, std::int32_t blue, float range,
                        float softness);
std::int32_t huesieve_render(const std::uint8_t* source, std::uint8_t* result, std::int32_t width,
                             std::int32_t height, std::int32_t enable,
                             const huesieve::ColourEntryTable* table, std::int32_t* bounds,
                             std::int32_t portable, std::int32_t workers);
void huesieve_map_claims(const std::uint8_t* source, std::uint8_t* codes, std::int32_t width,
                         std::int32_t height, const huesieve::ColourEntryTable* table,
                         std::int32_t* bounds);

std::int32_t huesieve_render16(const std::uint16_t* source, std::uint16_t* result,
                               std::int32_t width, std::int32_t height, std::int32_t enable,
                               const huesieve::ColourEntryTable* table, std::int32_t* bounds,
                               std::int32_t portable, std::int32_t workers);
void huesieve_map_claims16(const std::uint16_t* source, std::uint8_t* codes, std::int32_t width,
                           std::int32_t height, const huesieve::ColourEntryTable* table,
                           std::int32_t* bounds);

}  // extern "C"
