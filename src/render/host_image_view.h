// A host image as the core walks it.
#pragma once

#include <cstddef>
#include <cstdint>

#include "core/image_view.h"
#include "host/pf_types.h"

namespace huesieve {

// Every slot the stride holds, the padding past the image width included, as
// the module has always walked the host's images; rows from `first_pixel`,
// `rowbytes` apart.
template <typename Format>
ImageView HostImageView(const PF_LayerDef& image, void* first_pixel) {
  const std::int64_t stride = image.rowbytes;
  const std::int64_t bytes_per_row = stride < 0 ? -stride : stride;
  return ImageView{static_cast<std::byte*>(first_pixel), stride,
                   bytes_per_row / std::int64_t{sizeof(typename Format::Pixel)}, image.height};
}

}  // namespace huesieve
