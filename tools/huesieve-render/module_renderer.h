// Frames rendered by a built After Effects module, loaded from its file and
// driven by the lean module host as the compositing host would drive it:
// Global Setup, Params Setup, then Render for each frame. For checking a
// module build against the core: the module renders 8 and 16-bit frames on
// its host's scales (16-bit samples mapped to 0 to 32768 and back, which
// rounds samples between two host levels), and no float frames.
#pragma once

#include <string>

#include "effect/controls.h"
#include "modulehost/host.h"
#include "tools/huesieve-render/frame_renderer.h"
#include "tools/huesieve-render/module.h"

namespace huesieve::cli {

class ModuleRenderer : public FrameRenderer {
 public:
  // Sets up the module and its controls to `settings`. Throws ToolError when
  // the module fails a command or does not lay out the effect's controls.
  ModuleRenderer(const std::string& module_path, const ControlSettings& settings);

  void Render(image::FrameBuffer& frame, const std::string& what) const override;

 private:
  Module module_;
  modulehost::Host host_;
  bool deep_;  // the module declares 16-bit rendering
};

// The module's About text, with the terminal's line ends. Throws ToolError.
std::string ModuleAbout(const std::string& module_path);

// The module's parameters as registered, one a line: slot, identifier, type,
// name, accepted limits, default. Throws ToolError.
std::string ModuleParams(const std::string& module_path);

}  // namespace huesieve::cli
