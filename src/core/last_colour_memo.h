// An answer kept for the last colour asked about: footage has long runs of one
// colour, and a run then costs one lookup.
#pragma once

#include <cstdint>

#include "core/colour_entry_table.h"

namespace huesieve {

template <typename Answer>
class LastColourMemo {
 public:
  // The answer for `colour`: `find(colour)` when the colour differs from the
  // last one asked about.
  template <typename Find>
  [[gnu::always_inline]] Answer For(Rgb8 colour, Find find) {
    const auto key = static_cast<std::uint32_t>(colour.red << 16 | colour.green << 8 | colour.blue);
    if (key != key_) {
      key_ = key;
      answer_ = find(colour);
    }
    return answer_;
  }

 private:
  std::uint32_t key_ = ~0u;  // no colour
  Answer answer_{};
};

}  // namespace huesieve
