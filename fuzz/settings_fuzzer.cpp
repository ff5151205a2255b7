// Any text given as a settings file is refused with a message naming the
// file, or read into settings within the controls' limits that write out as
// text reading back as the same settings. Nothing throws: the WebAssembly
// core builds this reader without exceptions.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "effect/settings_json.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const huesieve::SettingsReading reading = huesieve::ReadSettingsText(text, "key.json");
  if (!reading.error.empty()) {
    if (reading.error.rfind("key.json: ", 0) != 0) std::abort();
    return 0;
  }
  for (const huesieve::EntrySettings& entry : reading.settings.entries) {
    const bool range_ok = entry.range == 0.0 || (entry.range >= 1.0 && entry.range <= 128.0);
    if (!range_ok || !(entry.softness >= 0.0 && entry.softness <= 100.0)) std::abort();
  }
  const huesieve::SettingsReading again =
      huesieve::ReadSettingsText(huesieve::SettingsText(reading.settings), "key.json");
  if (!again.error.empty() || !(again.settings == reading.settings)) std::abort();
  return 0;
}
