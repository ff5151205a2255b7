// Finds the effect's controls in the parameters it registered, as a host
// would present them: by type and order, not by a table of slots known in
// advance.
#pragma once

#include <stdexcept>
#include <vector>

#include "host/pf_params.h"

namespace huesieve::module_render {

// The parameter slots of one colour entry: the controls that follow its
// group start.
struct EntryControls {
  int group_start = 0;
  int enable = 0;
  int colour = 0;
  int range = 0;
  int softness = 0;
};

struct EffectControls {
  int enable_effect = 0;  // the checkbox ahead of every group
  std::vector<EntryControls> entries;
};

// The module's parameters are not laid out as a Huesieve effect.
class LayoutError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// `params` holds every slot, the input layer at 0. Throws LayoutError.
EffectControls FindControls(const std::vector<PF_ParamDef>& params);

}  // namespace huesieve::module_render
