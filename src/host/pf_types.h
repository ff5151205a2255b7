// Basic host types: result codes, commands, flags, pixels and images.
//
// These are Huesieve's own declarations of the parts of the host's effect API
// that the module uses, written to serve both the Linux and the 64-bit Windows
// build. Every width the host fixes is spelled with a fixed-width type, since
// `long` is 32 bits on Windows and 64 bits on Linux.
#pragma once

#include <cstddef>
#include <cstdint>

using A_char = char;
using A_u_char = std::uint8_t;
using A_short = std::int16_t;
using A_u_short = std::uint16_t;
using A_long = std::int32_t;
using A_u_long = std::uint32_t;
using PF_Boolean = std::uint8_t;
using PF_FpLong = double;
using PF_FpShort = float;

using PF_Err = A_long;
using PF_Cmd = A_long;
using PF_ProgPtr = void*;
using PF_ParamIndex = A_long;
using PF_ParamValue = A_long;
using PF_ParamType = A_long;
using PF_ParamFlags = A_long;
using PF_OutFlags = A_long;
using PF_OutFlags2 = A_long;
using PF_WorldFlags = A_long;

enum : PF_Err {
  PF_Err_NONE = 0,
  PF_Err_OUT_OF_MEMORY = 4,
  PF_Err_INTERNAL_STRUCT_DAMAGED = 512,
  PF_Err_BAD_CALLBACK_PARAM = 516,
};

enum : PF_Cmd {
  PF_Cmd_ABOUT = 0,
  PF_Cmd_GLOBAL_SETUP = 1,
  PF_Cmd_PARAMS_SETUP = 4,
  PF_Cmd_RENDER = 11,
};

enum : PF_OutFlags {
  PF_OutFlag_I_WRITE_INPUT_BUFFER = 0x00000800,
  PF_OutFlag_DEEP_COLOR_AWARE = 0x02000000,
};

enum : PF_OutFlags2 {
  PF_OutFlag2_SUPPORTS_THREADED_RENDERING = 0x08000000,
};

enum : PF_WorldFlags {
  // The image holds PF_Pixel16; without it, PF_Pixel.
  PF_WorldFlag_DEEP = 0x00000001,
};

// The host's stage codes for PF_VERSION packing.
enum : A_long {
  PF_Stage_DEVELOP = 0,
};

struct PF_Pixel {
  A_u_char alpha;
  A_u_char red;
  A_u_char green;
  A_u_char blue;
};
using PF_Pixel8 = PF_Pixel;

// 16-bit channels run from 0 to 32768; 32768 is full intensity.
struct PF_Pixel16 {
  A_u_short alpha;
  A_u_short red;
  A_u_short green;
  A_u_short blue;
};

using PF_PixelPtr = PF_Pixel*;

struct PF_Rect {
  A_long left;
  A_long top;
  A_long right;
  A_long bottom;
};

struct PF_LayerDef {
  PF_WorldFlags world_flags;
  PF_PixelPtr data;
  A_long rowbytes;  // bytes from one row to the next; may exceed width × pixel size
  A_long width;
  A_long height;
};
using PF_EffectWorld = PF_LayerDef;

static_assert(sizeof(PF_Pixel) == 4);
static_assert(offsetof(PF_Pixel, alpha) == 0 && offsetof(PF_Pixel, red) == 1 &&
              offsetof(PF_Pixel, green) == 2 && offsetof(PF_Pixel, blue) == 3);
static_assert(sizeof(PF_Pixel16) == 8);
static_assert(offsetof(PF_Pixel16, alpha) == 0 && offsetof(PF_Pixel16, red) == 2 &&
              offsetof(PF_Pixel16, green) == 4 && offsetof(PF_Pixel16, blue) == 6);
static_assert(sizeof(PF_Rect) == 16);
