// Frames rendered by the core's one effect call, at the frame's own sample
// type, straight or premultiplied as the file holds them.
#pragma once

#include "core/effect.h"
#include "effect/controls.h"
#include "tools/huesieve-render/frame_renderer.h"

namespace huesieve::cli {

class CoreRenderer : public FrameRenderer {
 public:
  explicit CoreRenderer(const ControlSettings& settings);

  void Render(image::FrameBuffer& frame, const std::string& what) const override;

 private:
  EffectSettings settings_;
};

}  // namespace huesieve::cli
