#include "testing/hostsim/world.h"

#include <algorithm>
#include <cstdlib>

#include "testing/modulehost/image_record.h"

namespace hostsim {
namespace {

std::byte* RowStart(const PF_LayerDef& def, A_long row) {
  return reinterpret_cast<std::byte*>(def.data) + std::ptrdiff_t{row} * def.rowbytes;
}

}  // namespace

World::World(Depth depth, A_long width, A_long height, A_long rowbytes) : depth_(depth) {
  if (rowbytes == 0) rowbytes = static_cast<A_long>(width * static_cast<A_long>(pixel_size()));
  const std::size_t stride = static_cast<std::size_t>(std::abs(std::ptrdiff_t{rowbytes}));
  // At least one byte, so even an empty image has an address to hand out.
  storage_.resize(std::max<std::size_t>(1, stride * static_cast<std::size_t>(std::max(0, height))));
  def_ = modulehost::ImageRecord(depth == Depth::k16, nullptr, width, height, rowbytes);
  PointAtFirstRow();
}

World::World(const World& other)
    : depth_(other.depth_), storage_(other.storage_), def_(other.def_) {
  PointAtFirstRow();
}

World& World::operator=(const World& other) {
  depth_ = other.depth_;
  storage_ = other.storage_;
  def_ = other.def_;
  PointAtFirstRow();
  return *this;
}

void World::PointAtFirstRow() {
  std::byte* first = storage_.data();
  if (def_.rowbytes < 0 && def_.height > 0) {
    first += std::ptrdiff_t{def_.height - 1} * -std::ptrdiff_t{def_.rowbytes};
  }
  def_.data = reinterpret_cast<PF_PixelPtr>(first);
}

A_long World::slots_per_row() const {
  return static_cast<A_long>(std::abs(std::ptrdiff_t{def_.rowbytes}) /
                             static_cast<std::ptrdiff_t>(pixel_size()));
}

std::byte* World::SlotAddress(A_long column, A_long row, std::size_t size) const {
  return RowStart(def_, row) + std::ptrdiff_t{column} * static_cast<std::ptrdiff_t>(size);
}

}  // namespace hostsim
