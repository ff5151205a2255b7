// Basic host types: result codes, commands, flags, pixels and images.
//
// These are Huesieve's own declarations of the host's effect API, written to
// serve both the Linux and the 64-bit Windows build. The host reads and writes
// its records at the offsets of its published 64-bit layout, so every record is
// declared in full, member by member, each member's comment gives its offset,
// and static_asserts directly after the record pin its size and every member's
// offset and width. Where the compiler pads, a comment says so. Every width the
// host fixes is spelled with a fixed-width type, since `long` is 32 bits on
// Windows and 64 bits on Linux.
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
  A_u_char alpha;  // 0
  A_u_char red;    // 1
  A_u_char green;  // 2
  A_u_char blue;   // 3
};
static_assert(sizeof(PF_Pixel) == 4);
ASSERT_HOST_MEMBER(PF_Pixel, alpha, 0, 1);
ASSERT_HOST_MEMBER(PF_Pixel, red, 1, 1);
ASSERT_HOST_MEMBER(PF_Pixel, green, 2, 1);
ASSERT_HOST_MEMBER(PF_Pixel, blue, 3, 1);
using PF_Pixel8 = PF_Pixel;

// 16-bit channels run from 0 to 32768; 32768 is full intensity.
struct PF_Pixel16 {
  A_u_short alpha;  // 0
  A_u_short red;    // 2
  A_u_short green;  // 4
  A_u_short blue;   // 6
};
static_assert(sizeof(PF_Pixel16) == 8);
ASSERT_HOST_MEMBER(PF_Pixel16, alpha, 0, 2);
ASSERT_HOST_MEMBER(PF_Pixel16, red, 2, 2);
ASSERT_HOST_MEMBER(PF_Pixel16, green, 4, 2);
ASSERT_HOST_MEMBER(PF_Pixel16, blue, 6, 2);

using PF_PixelPtr = PF_Pixel*;

struct PF_Rect {
  A_long left;    // 0
  A_long top;     // 4
  A_long right;   // 8
  A_long bottom;  // 12
};
static_assert(sizeof(PF_Rect) == 16);
ASSERT_HOST_MEMBER(PF_Rect, left, 0, 4);
ASSERT_HOST_MEMBER(PF_Rect, top, 4, 4);
ASSERT_HOST_MEMBER(PF_Rect, right, 8, 4);
ASSERT_HOST_MEMBER(PF_Rect, bottom, 12, 4);

struct PF_RationalScale {
  A_long num;    // 0
  A_u_long den;  // 4
};
static_assert(sizeof(PF_RationalScale) == 8);
ASSERT_HOST_MEMBER(PF_RationalScale, num, 0, 4);
ASSERT_HOST_MEMBER(PF_RationalScale, den, 4, 4);

// An image: the host's 120-byte record.
struct PF_LayerDef {
  void* reserved0;            // 0
  void* reserved1;            // 8
  PF_WorldFlags world_flags;  // 16
  // 4 bytes of padding: data is 8-byte aligned
  PF_PixelPtr data;     // 24
  A_long rowbytes;      // 32: may exceed width × pixel size
  A_long width;         // 36
  A_long height;        // 40
  PF_Rect extent_hint;  // 44
  // 4 bytes of padding: platform_ref is 8-byte aligned
  void* platform_ref;     // 64
  A_long reserved_long1;  // 72
  // 4 bytes of padding: reserved_long4 is 8-byte aligned
  void* reserved_long4;               // 80
  PF_RationalScale pix_aspect_ratio;  // 88
  void* reserved_long2;               // 96
  A_long origin_x;                    // 104
  A_long origin_y;                    // 108
  A_long reserved_long3;              // 112
  A_long dephault;                    // 116
};
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
using PF_EffectWorld = PF_LayerDef;
