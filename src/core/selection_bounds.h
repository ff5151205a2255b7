// The rectangle of claimed pixels that the corner markers frame.
#pragma once

#include <algorithm>
#include <atomic>
#include <cstdint>

namespace huesieve {

// `right` and `bottom` lie one past the last claimed column and row; with
// nothing claimed the rectangle is (0, 0, 1, 1), which the markers draw as a
// 2 × 2 square at the top left. The field order is the host's rectangle's.
struct SelectionBounds {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 1;
  std::int32_t bottom = 1;
  bool operator==(const SelectionBounds&) const = default;
};

// The rectangle grown row by row, in order, as a pass walks a picture or a
// band of its rows. The rectangles of bands merged, in any order, give the
// rectangle of the walk over all their rows.
class ClaimedRectangle {
 public:
  explicit ClaimedRectangle(std::int64_t pixels_per_row) : smallest_column_(pixels_per_row) {}

  // Row `row` holds claimed pixels from column `first` to `last`.
  void NoteRow(std::int64_t row, std::int64_t first, std::int64_t last) {
    if (!any_claimed_) first_row_ = row;
    any_claimed_ = true;
    smallest_column_ = first < smallest_column_ ? first : smallest_column_;
    largest_column_ = last > largest_column_ ? last : largest_column_;
    largest_row_ = row;
  }

  void Merge(const ClaimedRectangle& band) {
    if (!band.any_claimed_) return;
    if (!any_claimed_) {
      *this = band;
      return;
    }
    first_row_ = std::min(first_row_, band.first_row_);
    smallest_column_ = std::min(smallest_column_, band.smallest_column_);
    largest_column_ = std::max(largest_column_, band.largest_column_);
    largest_row_ = std::max(largest_row_, band.largest_row_);
  }

  SelectionBounds Bounds() const {
    return SelectionBounds{
        static_cast<std::int32_t>(any_claimed_ ? smallest_column_ : 0),
        static_cast<std::int32_t>(any_claimed_ ? first_row_ : 0),
        static_cast<std::int32_t>(largest_column_ + 1),
        static_cast<std::int32_t>(largest_row_ + 1),
    };
  }

 private:
  friend class SharedClaimedRectangle;

  bool any_claimed_ = false;
  std::int64_t first_row_ = 0;
  std::int64_t smallest_column_;
  std::int64_t largest_column_ = 0;
  std::int64_t largest_row_ = 0;
};

// The rectangles of bands merged as the workers that walked them finish, in
// any order and at once, without a lock: each extreme is a compare-and-swap
// loop of its own. Relaxed order suffices, as whoever reads Merged() has
// waited for every worker by other means.
class SharedClaimedRectangle {
 public:
  explicit SharedClaimedRectangle(std::int64_t pixels_per_row)
      : pixels_per_row_(pixels_per_row), smallest_column_(pixels_per_row) {}

  void Merge(const ClaimedRectangle& band) {
    if (!band.any_claimed_) return;
    Lower(first_row_, band.first_row_);
    Lower(smallest_column_, band.smallest_column_);
    Raise(largest_column_, band.largest_column_);
    Raise(largest_row_, band.largest_row_);
  }

  ClaimedRectangle Merged() const {
    ClaimedRectangle merged(pixels_per_row_);
    const std::int64_t largest_row = largest_row_.load(std::memory_order_relaxed);
    if (largest_row < 0) return merged;
    merged.any_claimed_ = true;
    merged.first_row_ = first_row_.load(std::memory_order_relaxed);
    merged.smallest_column_ = smallest_column_.load(std::memory_order_relaxed);
    merged.largest_column_ = largest_column_.load(std::memory_order_relaxed);
    merged.largest_row_ = largest_row;
    return merged;
  }

 private:
  static void Lower(std::atomic<std::int64_t>& extreme, std::int64_t value) {
    std::int64_t now = extreme.load(std::memory_order_relaxed);
    while (value < now && !extreme.compare_exchange_weak(now, value, std::memory_order_relaxed)) {
    }
  }
  static void Raise(std::atomic<std::int64_t>& extreme, std::int64_t value) {
    std::int64_t now = extreme.load(std::memory_order_relaxed);
    while (value > now && !extreme.compare_exchange_weak(now, value, std::memory_order_relaxed)) {
    }
  }

  std::int64_t pixels_per_row_;
  std::atomic<std::int64_t> first_row_{INT64_MAX};
  std::atomic<std::int64_t> smallest_column_;
  std::atomic<std::int64_t> largest_column_{-1};
  std::atomic<std::int64_t> largest_row_{-1};  // -1 while no band has claimed
};

}  // namespace huesieve
