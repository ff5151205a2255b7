// An image record over a heap block of exactly the bytes the record describes:
// rows 0 to height − 1 of |rowbytes| bytes each, nothing more, not even for an
// empty image. Under AddressSanitizer any access outside them is reported,
// which a padded or shared buffer would hide.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "host/pf_types.h"
#include "testing/modulehost/image_record.h"

namespace hostsim {

class ExactWorld {
 public:
  ExactWorld(bool deep, A_long width, A_long height, A_long rowbytes)
      : size_(static_cast<std::size_t>(height > 0 ? std::int64_t{height} : 0) *
              static_cast<std::size_t>(rowbytes < 0 ? -std::int64_t{rowbytes} : rowbytes)),
        bytes_(new std::byte[size_]) {
    // A negative stride stores the rows bottom-up; `data` still addresses row 0.
    std::byte* first = bytes_.get();
    if (rowbytes < 0 && height > 0)
      first += size_ - static_cast<std::size_t>(-std::int64_t{rowbytes});
    def_ = modulehost::ImageRecord(deep, first, width, height, rowbytes);
  }

  PF_LayerDef& def() { return def_; }
  const PF_LayerDef& def() const { return def_; }
  std::byte* bytes() { return bytes_.get(); }
  const std::byte* bytes() const { return bytes_.get(); }
  std::size_t size() const { return size_; }

 private:
  std::size_t size_;
  std::unique_ptr<std::byte[]> bytes_;
  PF_LayerDef def_;
};

}  // namespace hostsim
