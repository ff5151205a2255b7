// Frames rendered by the core's one effect call, at the frame's own sample
// type, straight or premultiplied as the file holds them, each frame's bands
// shared between `threads` threads.
#pragma once

#include "core/effect.h"
#include "effect/controls.h"
#include "tools/huesieve-render/frame_renderer.h"

namespace huesieve::cli {

class CoreRenderer : public FrameRenderer {
 public:
  CoreRenderer(const ControlSettings& settings, int threads);

  void Render(image::FrameBuffer& frame, const std::string& what) const override;

 private:
  EffectSettings settings_;
  unsigned int threads_;
};

}  // namespace huesieve::cli
