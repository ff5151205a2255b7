// The tuner's way into the effect's table of controls and its settings file
// (tuner_settings.cpp): the page builds its controls from the table and
// reads and writes keys only through the core, so it checks nothing itself.
// Texts come back in memory the page frees.
#pragma once

#include <cstdint>

extern "C" {

// The controls as JSON: the entry count, each control's label and default,
// the sliders' limits, the claim map's feather bit and the default key.
char* huesieve_describe();

// A key's text checked and written out as the tuner saves it:
// {"text": "<settings file>"} or {"error": "<name>: <why>"}. `name` names the
// file in the message.
char* huesieve_settings_read(const char* text, std::int32_t length, const char* name);

// The 8-bit value the rule sees for every 16-bit sample, 65536 of them, for
// the eyedropper.
void huesieve_rule_bytes16(std::uint8_t* bytes);

}  // extern "C"
