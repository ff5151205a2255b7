// The settings file: the master switch and the colour entries as JSON, as the
// tuner saves it and huesieve-render --settings reads it.
//
//   {"enable": true,
//    "entries": [
//     {"enabled":true,"color":"#DB2924","range":110,"softness":60},
//     ...],
//    "judge": "srgb", "featheredAlpha": "fades"}
//
// Entries are numbered from 1 in the order given, at most ten; an entry not
// listed keeps its defaults. Every member is required but the choices
// (effect/controls.h), which a file saved before they existed lacks and
// which are written only when not at their defaults; no other is allowed. Values are checked
// against the controls' limits with --entry's words; a Range of 0, the default, is accepted and
// claims nothing.
//
// Built over nlohmann-json also for the WebAssembly core, which has no C++
// exceptions: faults come back as text, and nothing here throws.
#pragma once

#include <string>
#include <string_view>

#include "effect/controls.h"

namespace huesieve {

struct SettingsReading {
  ControlSettings settings;  // valid when `error` is empty
  // Why the text was refused, naming the file: "key.json: entry 2: RANGE 200
  // is outside 1 to 128".
  std::string error;
};

// `name` names the file in messages.
SettingsReading ReadSettingsText(std::string_view text, std::string_view name);

// The settings as the tuner writes them: every entry, one a line, numbers in
// the shortest form that reads back as the same double.
std::string SettingsText(const ControlSettings& settings);

}  // namespace huesieve
