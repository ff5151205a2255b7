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
  A_char reserved;
  A_short reserved1;
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
  A_char value_desc[32];
  PF_FpShort valid_min;
  PF_FpShort valid_max;
  PF_FpShort slider_min;
  PF_FpShort slider_max;
  PF_FpShort dephault;
  A_short precision;
  A_short display_flags;
  A_u_long fs_flags;
  PF_FpShort curve_tolerance;
  PF_Boolean useExponent;
  PF_FpShort exponent;
};

union PF_ParamDefUnion {
  PF_LayerDef ld;
  PF_CheckBoxDef bd;
  PF_ColorDef cd;
  PF_FloatSliderDef fs_d;
};

// The host's 176-byte parameter record. The host copies all of it when a
// parameter is added, so the module clears and fills the whole record.
struct PF_ParamDef {
  union {
    A_long id;  // persistent identifier, stored in the host's projects
    A_long change_flags;
  } uu;
  A_long ui_flags;
  A_short ui_width;
  A_short ui_height;
  PF_ParamType param_type;
  A_char name[PF_MAX_EFFECT_PARAM_NAME_LEN + 1];
  PF_ParamFlags flags;
  A_long unused;
  PF_ParamDefUnion u;
};
using PF_ParamDefPtr = PF_ParamDef*;

static_assert(sizeof(PF_CheckBoxDef) == 16);
ASSERT_HOST_MEMBER(PF_CheckBoxDef, value, 0, 4);
ASSERT_HOST_MEMBER(PF_CheckBoxDef, dephault, 4, 1);
ASSERT_HOST_MEMBER(PF_CheckBoxDef, reserved, 5, 1);
ASSERT_HOST_MEMBER(PF_CheckBoxDef, reserved1, 6, 2);
ASSERT_HOST_MEMBER(PF_CheckBoxDef, u, 8, 8);

static_assert(sizeof(PF_ColorDef) == 8);
ASSERT_HOST_MEMBER(PF_ColorDef, value, 0, 4);
ASSERT_HOST_MEMBER(PF_ColorDef, dephault, 4, 4);

static_assert(sizeof(PF_FloatSliderDef) == 88);
ASSERT_HOST_MEMBER(PF_FloatSliderDef, value, 0, 8);
ASSERT_HOST_MEMBER(PF_FloatSliderDef, phase, 8, 8);
ASSERT_HOST_MEMBER(PF_FloatSliderDef, value_desc, 16, 32);
ASSERT_HOST_MEMBER(PF_FloatSliderDef, valid_min, 48, 4);
ASSERT_HOST_MEMBER(PF_FloatSliderDef, valid_max, 52, 4);
ASSERT_HOST_MEMBER(PF_FloatSliderDef, slider_min, 56, 4);
ASSERT_HOST_MEMBER(PF_FloatSliderDef, slider_max, 60, 4);
ASSERT_HOST_MEMBER(PF_FloatSliderDef, dephault, 64, 4);
ASSERT_HOST_MEMBER(PF_FloatSliderDef, precision, 68, 2);
ASSERT_HOST_MEMBER(PF_FloatSliderDef, display_flags, 70, 2);
ASSERT_HOST_MEMBER(PF_FloatSliderDef, fs_flags, 72, 4);
ASSERT_HOST_MEMBER(PF_FloatSliderDef, curve_tolerance, 76, 4);
ASSERT_HOST_MEMBER(PF_FloatSliderDef, useExponent, 80, 1);
ASSERT_HOST_MEMBER(PF_FloatSliderDef, exponent, 84, 4);

static_assert(sizeof(PF_ParamDefUnion) == 120 && alignof(PF_ParamDefUnion) == 8);

static_assert(sizeof(PF_ParamDef) == 176);
ASSERT_HOST_MEMBER(PF_ParamDef, uu, 0, 4);
ASSERT_HOST_MEMBER(PF_ParamDef, ui_flags, 4, 4);
ASSERT_HOST_MEMBER(PF_ParamDef, ui_width, 8, 2);
ASSERT_HOST_MEMBER(PF_ParamDef, ui_height, 10, 2);
ASSERT_HOST_MEMBER(PF_ParamDef, param_type, 12, 4);
ASSERT_HOST_MEMBER(PF_ParamDef, name, 16, 32);
ASSERT_HOST_MEMBER(PF_ParamDef, flags, 48, 4);
ASSERT_HOST_MEMBER(PF_ParamDef, unused, 52, 4);
ASSERT_HOST_MEMBER(PF_ParamDef, u, 56, 120);
