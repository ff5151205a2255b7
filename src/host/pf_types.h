// Basic host types: result codes, commands, flags, pixels and images.
//
// These are Huesieve's own declarations of the host's effect API, written to
// serve both the Linux and the 64-bit Windows build. The host reads and writes
// its records at the offsets of its published 64-bit layout, so every record is
// declared in full, member by member, and every offset and size is pinned by a
// static_assert. Every width the host fixes is spelled with a fixed-width type,
// since `long` is 32 bits on Windows and 64 bits on Linux.
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
using PF_Fixed = A_long;  // 16.16 fixed point
using PF_Handle = void**;

// A host callback the module never calls, declared for its slot only: a slot
// keeps its place in the record whatever its real signature.
using PF_UnusedCallback = void (*)();

// Pins a member to the offset and width of the host's published layout; a
// mismatch fails the build on every platform.
#define ASSERT_HOST_MEMBER(record, member, offset, width)                                  \
  static_assert(offsetof(record, member) == (offset) && sizeof(record::member) == (width), \
                #record "::" #member " is not at the host's offset and width")

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

struct PF_RationalScale {
  A_long num;
  A_u_long den;
};

// An image: the host's 120-byte record.
struct PF_LayerDef {
  void* reserved0;
  void* reserved1;
  PF_WorldFlags world_flags;
  PF_PixelPtr data;
  A_long rowbytes;  // bytes from one row to the next; may exceed width × pixel size
  A_long width;
  A_long height;
  PF_Rect extent_hint;
  void* platform_ref;
  A_long reserved_long1;
  void* reserved_long4;
  PF_RationalScale pix_aspect_ratio;
  void* reserved_long2;
  A_long origin_x;
  A_long origin_y;
  A_long reserved_long3;
  A_long dephault;
};
using PF_EffectWorld = PF_LayerDef;

static_assert(sizeof(PF_Pixel) == 4);
static_assert(offsetof(PF_Pixel, alpha) == 0 && offsetof(PF_Pixel, red) == 1 &&
              offsetof(PF_Pixel, green) == 2 && offsetof(PF_Pixel, blue) == 3);
static_assert(sizeof(PF_Pixel16) == 8);
static_assert(offsetof(PF_Pixel16, alpha) == 0 && offsetof(PF_Pixel16, red) == 2 &&
              offsetof(PF_Pixel16, green) == 4 && offsetof(PF_Pixel16, blue) == 6);
static_assert(sizeof(PF_Rect) == 16);
static_assert(sizeof(PF_RationalScale) == 8);

static_assert(sizeof(PF_LayerDef) == 120);
ASSERT_HOST_MEMBER(PF_LayerDef, reserved0, 0, 8);
ASSERT_HOST_MEMBER(PF_LayerDef, reserved1, 8, 8);
ASSERT_HOST_MEMBER(PF_LayerDef, world_flags, 16, 4);
ASSERT_HOST_MEMBER(PF_LayerDef, data, 24, 8);
ASSERT_HOST_MEMBER(PF_LayerDef, rowbytes, 32, 4);
ASSERT_HOST_MEMBER(PF_LayerDef, width, 36, 4);
ASSERT_HOST_MEMBER(PF_LayerDef, height, 40, 4);
ASSERT_HOST_MEMBER(PF_LayerDef, extent_hint, 44, 16);
ASSERT_HOST_MEMBER(PF_LayerDef, platform_ref, 64, 8);
ASSERT_HOST_MEMBER(PF_LayerDef, reserved_long1, 72, 4);
ASSERT_HOST_MEMBER(PF_LayerDef, reserved_long4, 80, 8);
ASSERT_HOST_MEMBER(PF_LayerDef, pix_aspect_ratio, 88, 8);
ASSERT_HOST_MEMBER(PF_LayerDef, reserved_long2, 96, 8);
ASSERT_HOST_MEMBER(PF_LayerDef, origin_x, 104, 4);
ASSERT_HOST_MEMBER(PF_LayerDef, origin_y, 108, 4);
ASSERT_HOST_MEMBER(PF_LayerDef, reserved_long3, 112, 4);
ASSERT_HOST_MEMBER(PF_LayerDef, dephault, 116, 4);
