// An image owned by the simulated host: pixel storage and the record that
// describes it to the module.
#pragma once

#include <cstddef>
#include <cstring>
#include <vector>

#include "host/pf_types.h"

namespace hostsim {

enum class Depth { k8 = 8, k16 = 16 };

class World {
 public:
  // `rowbytes` 0 means tightly packed rows. A negative stride stores the rows
  // bottom-up, as some hosts do; the record's `data` still points at row 0.
  World(Depth depth, A_long width, A_long height, A_long rowbytes = 0);

  World(const World& other);
  World& operator=(const World& other);

  PF_LayerDef& def() { return def_; }
  const PF_LayerDef& def() const { return def_; }
  Depth depth() const { return depth_; }
  std::size_t pixel_size() const { return depth_ == Depth::k16 ? 8 : 4; }
  // Slots a row holds, the padding past the width included.
  A_long slots_per_row() const;

  // Slot access by column and row; the column may reach into the padding.
  // Bytewise, since an odd stride leaves pixels unaligned.
  template <typename Pixel>
  Pixel Get(A_long column, A_long row) const {
    Pixel pixel;
    std::memcpy(&pixel, SlotAddress(column, row, sizeof(Pixel)), sizeof pixel);
    return pixel;
  }
  template <typename Pixel>
  void Set(A_long column, A_long row, const Pixel& pixel) {
    std::memcpy(SlotAddress(column, row, sizeof(Pixel)), &pixel, sizeof pixel);
  }
  // Every slot of the image set to `pixel`.
  template <typename Pixel>
  void Fill(const Pixel& pixel) {
    for (A_long row = 0; row < def_.height; ++row) {
      for (A_long column = 0; column < slots_per_row(); ++column) Set(column, row, pixel);
    }
  }

  // The whole storage, padding included, in memory order.
  const std::vector<std::byte>& storage() const { return storage_; }

 private:
  std::byte* SlotAddress(A_long column, A_long row, std::size_t size) const;
  void PointAtFirstRow();

  Depth depth_;
  std::vector<std::byte> storage_;
  PF_LayerDef def_;
};

}  // namespace hostsim
