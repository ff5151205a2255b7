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
  PF_ParamValue value;  // 0
  PF_Boolean dephault;  // 4
  A_char reserved;      // 5
  A_short reserved1;    // 6
  union {
    const A_char* nameptr;  // 0: the label shown beside the box
  } u;                      // 8
};
static_assert(sizeof(PF_CheckBoxDef) == 16);
ASSERT_HOST_MEMBER(PF_CheckBoxDef, value, 0, 4);
ASSERT_HOST_MEMBER(PF_CheckBoxDef, dephault, 4, 1);
ASSERT_HOST_MEMBER(PF_CheckBoxDef, reserved, 5, 1);
ASSERT_HOST_MEMBER(PF_CheckBoxDef, reserved1, 6, 2);
ASSERT_HOST_MEMBER(PF_CheckBoxDef, u, 8, 8);
ASSERT_HOST_MEMBER(decltype(PF_CheckBoxDef::u), nameptr, 0, 8);

struct PF_ColorDef {
  PF_Pixel value;     // 0
  PF_Pixel dephault;  // 4
};
static_assert(sizeof(PF_ColorDef) == 8);
ASSERT_HOST_MEMBER(PF_ColorDef, value, 0, 4);
ASSERT_HOST_MEMBER(PF_ColorDef, dephault, 4, 4);

struct PF_FloatSliderDef {
  PF_FpLong value;             // 0
  PF_FpLong phase;             // 8
  A_char value_desc[32];       // 16
  PF_FpShort valid_min;        // 48
  PF_FpShort valid_max;        // 52
  PF_FpShort slider_min;       // 56
  PF_FpShort slider_max;       // 60
  PF_FpShort dephault;         // 64
  A_short precision;           // 68
  A_short display_flags;       // 70
  A_u_long fs_flags;           // 72
  PF_FpShort curve_tolerance;  // 76
  PF_Boolean useExponent;      // 80
  // 3 bytes of padding: exponent is 4-byte aligned
  PF_FpShort exponent;  // 84
};
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

// The layer, the largest member, sets the size.
union PF_ParamDefUnion {
  PF_LayerDef ld;          // 0
  PF_CheckBoxDef bd;       // 0
  PF_ColorDef cd;          // 0
  PF_FloatSliderDef fs_d;  // 0
};
static_assert(sizeof(PF_ParamDefUnion) == 120 && alignof(PF_ParamDefUnion) == 8);
ASSERT_HOST_MEMBER(PF_ParamDefUnion, ld, 0, 120);
ASSERT_HOST_MEMBER(PF_ParamDefUnion, bd, 0, 16);
ASSERT_HOST_MEMBER(PF_ParamDefUnion, cd, 0, 8);
ASSERT_HOST_MEMBER(PF_ParamDefUnion, fs_d, 0, 88);

// The host's 176-byte parameter record. The host copies all of it when a
// parameter is added, so the module clears and fills the whole record.
struct PF_ParamDef {
  union {
    A_long id;              // 0: persistent identifier, stored in the host's projects
    A_long change_flags;    // 0
  } uu;                     // 0
  A_long ui_flags;          // 4
  A_short ui_width;         // 8
  A_short ui_height;        // 10
  PF_ParamType param_type;  // 12
  A_char name[PF_MAX_EFFECT_PARAM_NAME_LEN + 1];  // 16
  PF_ParamFlags flags;                            // 48
  A_long unused;                                  // 52
  PF_ParamDefUnion u;                             // 56
};
static_assert(sizeof(PF_ParamDef) == 176);
ASSERT_HOST_MEMBER(PF_ParamDef, uu, 0, 4);
ASSERT_HOST_MEMBER(decltype(PF_ParamDef::uu), id, 0, 4);
ASSERT_HOST_MEMBER(decltype(PF_ParamDef::uu), change_flags, 0, 4);
ASSERT_HOST_MEMBER(PF_ParamDef, ui_flags, 4, 4);
ASSERT_HOST_MEMBER(PF_ParamDef, ui_width, 8, 2);
ASSERT_HOST_MEMBER(PF_ParamDef, ui_height, 10, 2);
ASSERT_HOST_MEMBER(PF_ParamDef, param_type, 12, 4);
ASSERT_HOST_MEMBER(PF_ParamDef, name, 16, 32);
ASSERT_HOST_MEMBER(PF_ParamDef, flags, 48, 4);
ASSERT_HOST_MEMBER(PF_ParamDef, unused, 52, 4);
ASSERT_HOST_MEMBER(PF_ParamDef, u, 56, 120);
using PF_ParamDefPtr = PF_ParamDef*;
