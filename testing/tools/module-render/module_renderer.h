// Frames rendered by a built After Effects module, loaded from its file and
// driven by the lean module host as the compositing host would drive it:
// Global Setup, Params Setup, then Render for each frame. For checking a
// module build against the core: the module renders 8 and 16-bit frames on
// its host's scales (16-bit samples mapped to 0 to 32768 and back, which
// rounds samples between two host levels), and no float frames.
#pragma once

#include <string>

#include "effect/controls.h"
#include "image/frame_buffer.h"
#include "testing/modulehost/host.h"
#include "testing/tools/module-render/module.h"

namespace huesieve::module_render {

class ModuleRenderer {
 public:
  // Sets up the module and its controls to `settings`. Throws ModuleError when
  // the module fails a command or does not lay out the effect's controls.
  ModuleRenderer(const std::string& module_path, const ControlSettings& settings);

  // Renders `frame` in place; `what` names it in messages. Throws
  // ModuleError for a float frame, or a 16-bit one the module does not take.
  void Render(image::FrameBuffer& frame, const std::string& what) const;

 private:
  Module module_;
  modulehost::Host host_;
  bool deep_;  // the module declares 16-bit rendering
};

// The module's About text, with the terminal's line ends. Throws ModuleError.
std::string ModuleAbout(const std::string& module_path);

// The module's parameters as registered, one a line: slot, identifier, type,
// name, accepted limits, default. Throws ModuleError.
std::string ModuleParams(const std::string& module_path);

}  // namespace huesieve::module_render
