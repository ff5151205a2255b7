#include "testing/modulehost/image_record.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "testing/modulehost/poison.h"

namespace modulehost {
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

void CopyImage(const PF_LayerDef& src, PF_LayerDef& dst) {
  const std::size_t size = PixelSize(src);
  const A_long rows = std::min(src.height, dst.height);
  const A_long columns = std::min(src.width, dst.width);
  if (rows <= 0 || columns <= 0) return;
  for (A_long row = 0; row < rows; ++row) {
    std::memmove(RowStart(dst, row), RowStart(src, row), static_cast<std::size_t>(columns) * size);
  }
}

}  // namespace modulehost
