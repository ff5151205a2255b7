// The tuner's way into the effect's table of controls and its settings file
// (tuner_settings.cpp): the page builds its controls from the table and
// reads and writes keys only through the core, so it checks nothing itself.
// Texts come back in memory the page frees.
#pragma once

#include <cstdint>

#include "core/effect.h"

extern "C" {

// The controls as JSON: the entry count, each control's label and default,
// the sliders' limits, the effect's choices (settings name, label, values'
// names and labels, default) in the table's order, the settings name of the
// choice the eyedropper follows, the claim map's feather bit and the default
// key.
char* huesieve_describe();

// The core's settings at the controls' defaults, for the worker to keep.
huesieve::EffectSettings* huesieve_effect_settings_new();

// `settings` made from a key's text (the settings file's form, as the page
// holds it) by the builder every host uses. Returns null when it was read,
// or the message why not, the settings then unchanged.
char* huesieve_effect_settings_set(huesieve::EffectSettings* settings, const char* text,
                                   std::int32_t length);

// A key's text checked and written out as the tuner saves it:
// {"text": "<settings file>"} or {"error": "<name>: <why>"}. `name` names the
// file in the message.
char* huesieve_settings_read(const char* text, std::int32_t length, const char* name);

// The 8-bit value the rule sees for every sample of `depth` bits (8 or 16:
// 256 or 65536 of them) when it judges colours as the "Judge colours"
// choice's value at position `judge` says, for the eyedropper.
void huesieve_rule_bytes(std::int32_t depth, std::int32_t judge, std::uint8_t* bytes);

}  // extern "C"
