// The checks every way of giving the controls' values shares (the command
// line's --entry, the settings file, the tuner through the WebAssembly core),
// with the words their messages use. They report a fault as text and never
// throw: the WebAssembly core is built without exceptions.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "effect/controls.h"

namespace huesieve {

// A colour as RRGGBB or #RRGGBB, hexadecimal digits of either case.
std::optional<Rgb8> ParseColourText(std::string_view text);
inline constexpr char kColourFormMessage[] = "the colour must be six hexadecimal digits, RRGGBB";

// A number as messages and help print it: six significant digits, as C++
// streams print a double by default.
std::string NumberText(double value);

// "#RRGGBB", upper case, as the settings file holds a colour.
std::string ColourText(Rgb8 colour);

// Empty when `value` is one the command line and the settings file accept
// for `control`: within the narrowest limits a host publishes, or, when
// `default_accepted`, the control's default, which a saved key may hold for
// an untouched entry. Otherwise "RANGE 0.5 is outside 1 to 128".
std::string CheckSliderValue(const SliderControl& control, double value, bool default_accepted);

// "stored or srgb": a choice's value names, for messages and help.
std::string ChoiceNamesText(const ChoiceControl& control);

// The position of `text` among the choice's value names, or -1.
int ChoiceValueOf(const ChoiceControl& control, std::string_view text);

// "the effect has colour entries 1 to 10", for an entry number past them.
std::string EntryCountMessage();

}  // namespace huesieve
