// What renders a frame for the frame pipeline: the core's one effect call
// (core_renderer.h).
#pragma once

#include <string>

#include "image/frame_buffer.h"

namespace huesieve::cli {

class FrameRenderer {
 public:
  virtual ~FrameRenderer() = default;
  // Renders `frame` in place. `what` names the frame in messages. Safe to
  // call from several workers at once. Throws ToolError.
  virtual void Render(image::FrameBuffer& frame, const std::string& what) const = 0;
};

}  // namespace huesieve::cli
