#include "hostsim/world.h"

#include <algorithm>
#include <cstdlib>

#include "hostsim/poison.h"

namespace hostsim {
namespace {

std::size_t PixelSize(const PF_LayerDef& def) {
  return (def.world_flags & PF_WorldFlag_DEEP) != 0 ? 8 : 4;
}

std::byte* RowStart(const PF_LayerDef& def, A_long row) {
  return reinterpret_cast<std::byte*>(def.data) + std::ptrdiff_t{row} * def.rowbytes;
}

}  // namespace

PF_LayerDef ImageRecord(bool deep, void* first_pixel, A_long width, A_long height,
                        A_long rowbytes) {
  PF_LayerDef def = Poisoned<PF_LayerDef>();
  def.world_flags = deep ? PF_WorldFlag_DEEP : 0;
  def.data = static_cast<PF_PixelPtr>(first_pixel);
  def.rowbytes = rowbytes;
  def.width = width;
  def.height = height;
  return def;
}

World::World(Depth depth, A_long width, A_long height, A_long rowbytes) : depth_(depth) {
  if (rowbytes == 0) rowbytes = static_cast<A_long>(width * static_cast<A_long>(pixel_size()));
  const std::size_t stride = static_cast<std::size_t>(std::abs(std::ptrdiff_t{rowbytes}));
  // At least one byte, so even an empty image has an address to hand out.
  storage_.resize(std::max<std::size_t>(1, stride * static_cast<std::size_t>(std::max(0, height))));
  def_ = ImageRecord(depth == Depth::k16, nullptr, width, height, rowbytes);
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

void CopyImage(const PF_LayerDef& src, PF_LayerDef& dst) {
  const std::size_t size = PixelSize(src);
  const A_long rows = std::min(src.height, dst.height);
  const A_long columns = std::min(src.width, dst.width);
  if (rows <= 0 || columns <= 0) return;
  for (A_long row = 0; row < rows; ++row) {
    std::memmove(RowStart(dst, row), RowStart(src, row), static_cast<std::size_t>(columns) * size);
  }
}

}  // namespace hostsim
