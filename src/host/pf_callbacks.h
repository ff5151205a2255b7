// The records the host passes with every command, and the callbacks and
// suites reached through them.
#pragma once

#include "host/pf_params.h"
#include "host/pf_types.h"

using SPErr = std::int32_t;

// The host's suite broker.
struct SPBasicSuite {
  SPErr (*AcquireSuite)(const char* name, std::int32_t version, const void** suite);
  SPErr (*ReleaseSuite)(const char* name, std::int32_t version);
};

// "PF ANSI Suite" version 1. The host formats like the C library's sprintf and
// does not bound the output.
struct PF_ANSICallbacksSuite1 {
  A_long (*sprintf)(A_char* buffer, const A_char* format, ...);
};

struct PF_ANSICallbacks {
  A_char* (*strcpy)(A_char* dst, const A_char* src);
};

struct PF_UtilCallbacks {
  PF_Err (*copy)(PF_ProgPtr effect_ref, PF_EffectWorld* src, PF_EffectWorld* dst,
                 PF_Rect* src_r, PF_Rect* dst_r);
  PF_ANSICallbacks ansi;
  // Yield the address of the image's first pixel; the 16-bit form yields null
  // for an image that is not 16-bit.
  PF_Err (*get_pixel_data8)(PF_EffectWorld* world, PF_PixelPtr pixels, PF_Pixel8** pixel);
  PF_Err (*get_pixel_data16)(PF_EffectWorld* world, PF_PixelPtr pixels, PF_Pixel16** pixel);
};

struct PF_InteractCallbacks {
  // Appends a parameter after those added so far (index -1); the host keeps
  // its own copy of the record.
  PF_Err (*add_param)(PF_ProgPtr effect_ref, PF_ParamIndex index, PF_ParamDefPtr def);
};

struct PF_InData {
  PF_InteractCallbacks inter;
  PF_UtilCallbacks* utils;
  PF_ProgPtr effect_ref;
  SPBasicSuite* pica_basicP;
};

inline constexpr std::size_t PF_MAX_EFFECT_MSG_LEN = 255;

struct PF_OutData {
  A_u_long my_version;
  PF_OutFlags out_flags;
  PF_OutFlags2 out_flags2;
  A_long num_params;
  A_char return_msg[PF_MAX_EFFECT_MSG_LEN + 1];
};

static_assert(sizeof(PF_OutData::return_msg) == 256);
static_assert(sizeof(PF_OutData::my_version) == 4 && sizeof(PF_OutData::out_flags) == 4 &&
              sizeof(PF_OutData::out_flags2) == 4);
