// The host's parameter record, as the module fills it in Params Setup and
// reads it in Render.
#pragma once

#include "host/pf_types.h"

enum : PF_ParamType {
  PF_Param_LAYER = 0,
  PF_Param_CHECKBOX = 4,
  PF_Param_COLOR = 5,
  PF_Param_FLOAT_SLIDER = 10,
  PF_Param_GROUP_START = 13,
  PF_Param_GROUP_END = 14,
};

enum : PF_ParamFlags {
  PF_ParamFlag_COLLAPSE_TWIRLY = 0x20,
};

inline constexpr std::size_t PF_MAX_EFFECT_PARAM_NAME_LEN = 31;

struct PF_CheckBoxDef {
  PF_ParamValue value;
  PF_Boolean dephault;
  union {
    const A_char* nameptr;  // the label shown beside the box
  } u;
};

struct PF_ColorDef {
  PF_Pixel value;
  PF_Pixel dephault;
};

struct PF_FloatSliderDef {
  PF_FpLong value;
  PF_FpLong phase;
  PF_FpShort valid_min;
  PF_FpShort valid_max;
  PF_FpShort slider_min;
  PF_FpShort slider_max;
  PF_FpShort dephault;
  A_short precision;
  A_short display_flags;
  A_long fs_flags;
  PF_FpShort curve_tolerance;
};

union PF_ParamDefUnion {
  PF_LayerDef ld;
  PF_CheckBoxDef bd;
  PF_ColorDef cd;
  PF_FloatSliderDef fs_d;
};

struct PF_ParamDef {
  union {
    A_long id;  // persistent identifier, stored in the host's projects
  } uu;
  A_long ui_flags;
  A_short ui_width;
  A_short ui_height;
  PF_ParamType param_type;
  A_char name[PF_MAX_EFFECT_PARAM_NAME_LEN + 1];
  PF_ParamFlags flags;
  PF_ParamDefUnion u;
};
using PF_ParamDefPtr = PF_ParamDef*;

static_assert(sizeof(PF_ParamDef::name) == 32);
static_assert(sizeof(PF_CheckBoxDef::value) == 4 && sizeof(PF_CheckBoxDef::dephault) == 1);
static_assert(sizeof(PF_FloatSliderDef::value) == 8 && sizeof(PF_FloatSliderDef::valid_min) == 4);
static_assert(sizeof(PF_FloatSliderDef::precision) == 2 &&
              sizeof(PF_FloatSliderDef::display_flags) == 2);
