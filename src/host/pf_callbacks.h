// The records the host passes with every command, and the callbacks and
// suites reached through them, each at its full published size. The module
// calls only add_param, copy, ansi.strcpy, get_pixel_data8 and
// get_pixel_data16, the broker's AcquireSuite and ReleaseSuite, and the ANSI
// suite's sprintf; every other slot is declared so that those sit where the
// host puts them.
#pragma once

#include "host/pf_params.h"
#include "host/pf_types.h"

using SPErr = std::int32_t;

// The host's suite broker.
struct SPBasicSuite {
  SPErr (*AcquireSuite)(const char* name, std::int32_t version, const void** suite);
  SPErr (*ReleaseSuite)(const char* name, std::int32_t version);
  PF_UnusedCallback IsEqual;
  PF_UnusedCallback AllocateBlock;
  PF_UnusedCallback FreeBlock;
  PF_UnusedCallback ReallocateBlock;
  PF_UnusedCallback Undefined;
};

using PF_SprintfFunc = A_long (*)(A_char* buffer, const A_char* format, ...);
using PF_StrcpyFunc = A_char* (*)(A_char* dst, const A_char* src);

// "PF ANSI Suite" version 1. The host formats like the C library's sprintf and
// does not bound the output.
struct PF_ANSICallbacksSuite1 {
  PF_UnusedCallback atan;
  PF_UnusedCallback atan2;
  PF_UnusedCallback ceil;
  PF_UnusedCallback cos;
  PF_UnusedCallback exp;
  PF_UnusedCallback fabs;
  PF_UnusedCallback floor;
  PF_UnusedCallback fmod;
  PF_UnusedCallback hypot;
  PF_UnusedCallback log;
  PF_UnusedCallback log10;
  PF_UnusedCallback pow;
  PF_UnusedCallback sin;
  PF_UnusedCallback sqrt;
  PF_UnusedCallback tan;
  PF_SprintfFunc sprintf;
  PF_StrcpyFunc strcpy;
  PF_UnusedCallback asin;
  PF_UnusedCallback acos;
};

// The same functions, held inline in the utility callbacks.
struct PF_ANSICallbacks {
  PF_UnusedCallback atan;
  PF_UnusedCallback atan2;
  PF_UnusedCallback ceil;
  PF_UnusedCallback cos;
  PF_UnusedCallback exp;
  PF_UnusedCallback fabs;
  PF_UnusedCallback floor;
  PF_UnusedCallback fmod;
  PF_UnusedCallback hypot;
  PF_UnusedCallback log;
  PF_UnusedCallback log10;
  PF_UnusedCallback pow;
  PF_UnusedCallback sin;
  PF_UnusedCallback sqrt;
  PF_UnusedCallback tan;
  PF_SprintfFunc sprintf;
  PF_StrcpyFunc strcpy;
  PF_UnusedCallback asin;
  PF_UnusedCallback acos;
  A_long unused_longA;
};

// Eight colour-space callbacks, held inline in the utility callbacks.
struct PF_ColorCallbacks {
  PF_UnusedCallback callbacks[8];
};

struct PF_UtilCallbacks {
  PF_UnusedCallback begin_sampling;
  PF_UnusedCallback subpixel_sample;
  PF_UnusedCallback area_sample;
  PF_UnusedCallback get_batch_func_is_deprecated;
  PF_UnusedCallback end_sampling;
  PF_UnusedCallback composite_rect;
  PF_UnusedCallback blend;
  PF_UnusedCallback convolve;
  // Copies the whole source image into the destination when both rectangles
  // are null.
  PF_Err (*copy)(PF_ProgPtr effect_ref, PF_EffectWorld* src, PF_EffectWorld* dst, PF_Rect* src_r,
                 PF_Rect* dst_r);
  PF_UnusedCallback fill;
  PF_UnusedCallback gaussian_kernel;
  PF_UnusedCallback iterate;
  PF_UnusedCallback premultiply;
  PF_UnusedCallback premultiply_color;
  PF_UnusedCallback new_world;
  PF_UnusedCallback dispose_world;
  PF_UnusedCallback iterate_origin;
  PF_UnusedCallback iterate_lut;
  PF_UnusedCallback transfer_rect;
  PF_UnusedCallback transform_world;
  PF_UnusedCallback host_new_handle;
  PF_UnusedCallback host_lock_handle;
  PF_UnusedCallback host_unlock_handle;
  PF_UnusedCallback host_dispose_handle;
  PF_UnusedCallback get_callback_addr;
  PF_UnusedCallback app;
  PF_ANSICallbacks ansi;
  PF_ColorCallbacks colorCB;
  PF_UnusedCallback get_platform_data;
  PF_UnusedCallback host_get_handle_size;
  PF_UnusedCallback iterate_origin_non_clip_src;
  PF_UnusedCallback iterate_generic;
  PF_UnusedCallback host_resize_handle;
  PF_UnusedCallback subpixel_sample16;
  PF_UnusedCallback area_sample16;
  PF_UnusedCallback fill16;
  PF_UnusedCallback premultiply_color16;
  PF_UnusedCallback iterate16;
  PF_UnusedCallback iterate_origin16;
  PF_UnusedCallback iterate_origin_non_clip_src16;
  // Yield the address of the image's first pixel; the 16-bit form yields null
  // for an image that is not 16-bit.
  PF_Err (*get_pixel_data8)(PF_EffectWorld* world, PF_PixelPtr pixels, PF_Pixel8** pixel);
  PF_Err (*get_pixel_data16)(PF_EffectWorld* world, PF_PixelPtr pixels, PF_Pixel16** pixel);
  A_long reserved;
};

struct PF_InteractCallbacks {
  PF_UnusedCallback checkout_param;
  PF_UnusedCallback checkin_param;
  // Appends a parameter after those added so far (index -1); the host keeps
  // its own copy of the record.
  PF_Err (*add_param)(PF_ProgPtr effect_ref, PF_ParamIndex index, PF_ParamDefPtr def);
  PF_UnusedCallback abort;
  PF_UnusedCallback progress;
  PF_UnusedCallback register_ui;
  PF_UnusedCallback checkout_layer_audio;
  PF_UnusedCallback checkin_layer_audio;
  PF_UnusedCallback get_audio_data;
  PF_UnusedCallback reserved_str[3];
  PF_UnusedCallback reserved[10];
};

struct PF_SpecVersion {
  A_short major;
  A_short minor;
};

// The host's sound buffer record; the module handles no sound.
struct PF_SoundWorld {
  alignas(8) A_u_char opaque[32];
};

struct PF_Point {
  A_long h;
  A_long v;
};

struct PF_InData {
  PF_InteractCallbacks inter;
  PF_UtilCallbacks* utils;
  PF_ProgPtr effect_ref;
  A_long quality;
  PF_SpecVersion version;
  A_long serial_num;
  A_long appl_id;
  A_long num_params;
  A_long reserved;
  A_long what_cpu;
  A_long what_fpu;
  A_long current_time;
  A_long time_step;
  A_long total_time;
  A_long local_time_step;
  A_u_long time_scale;
  A_long field;
  PF_Fixed shutter_angle;
  A_long width;
  A_long height;
  PF_Rect extent_hint;
  A_long output_origin_x;
  A_long output_origin_y;
  PF_RationalScale downsample_x;
  PF_RationalScale downsample_y;
  PF_RationalScale pixel_aspect_ratio;
  A_long in_flags;
  PF_Handle global_data;
  PF_Handle sequence_data;
  PF_Handle frame_data;
  A_long start_sampL;
  A_long dur_sampL;
  A_long total_sampL;
  PF_SoundWorld src_snd;
  SPBasicSuite* pica_basicP;
  A_long pre_effect_source_origin_x;
  A_long pre_effect_source_origin_y;
  PF_Fixed shutter_phase;
};

inline constexpr std::size_t PF_MAX_EFFECT_MSG_LEN = 255;

struct PF_OutData {
  A_u_long my_version;
  A_char name[32];
  PF_Handle global_data;
  A_long num_params;
  PF_Handle sequence_data;
  A_u_long flat_sdata_size;
  PF_Handle frame_data;
  A_long width;
  A_long height;
  PF_Point origin;
  PF_OutFlags out_flags;
  A_char return_msg[PF_MAX_EFFECT_MSG_LEN + 1];
  A_long start_sampL;
  A_long dur_sampL;
  PF_SoundWorld dest_snd;
  PF_OutFlags2 out_flags2;
};

static_assert(sizeof(SPBasicSuite) == 56);
ASSERT_HOST_MEMBER(SPBasicSuite, AcquireSuite, 0, 8);
ASSERT_HOST_MEMBER(SPBasicSuite, ReleaseSuite, 8, 8);
ASSERT_HOST_MEMBER(SPBasicSuite, IsEqual, 16, 8);
ASSERT_HOST_MEMBER(SPBasicSuite, AllocateBlock, 24, 8);
ASSERT_HOST_MEMBER(SPBasicSuite, FreeBlock, 32, 8);
ASSERT_HOST_MEMBER(SPBasicSuite, ReallocateBlock, 40, 8);
ASSERT_HOST_MEMBER(SPBasicSuite, Undefined, 48, 8);

static_assert(sizeof(PF_ANSICallbacksSuite1) == 152);
ASSERT_HOST_MEMBER(PF_ANSICallbacksSuite1, atan, 0, 8);
ASSERT_HOST_MEMBER(PF_ANSICallbacksSuite1, atan2, 8, 8);
ASSERT_HOST_MEMBER(PF_ANSICallbacksSuite1, ceil, 16, 8);
ASSERT_HOST_MEMBER(PF_ANSICallbacksSuite1, cos, 24, 8);
ASSERT_HOST_MEMBER(PF_ANSICallbacksSuite1, exp, 32, 8);
ASSERT_HOST_MEMBER(PF_ANSICallbacksSuite1, fabs, 40, 8);
ASSERT_HOST_MEMBER(PF_ANSICallbacksSuite1, floor, 48, 8);
ASSERT_HOST_MEMBER(PF_ANSICallbacksSuite1, fmod, 56, 8);
ASSERT_HOST_MEMBER(PF_ANSICallbacksSuite1, hypot, 64, 8);
ASSERT_HOST_MEMBER(PF_ANSICallbacksSuite1, log, 72, 8);
ASSERT_HOST_MEMBER(PF_ANSICallbacksSuite1, log10, 80, 8);
ASSERT_HOST_MEMBER(PF_ANSICallbacksSuite1, pow, 88, 8);
ASSERT_HOST_MEMBER(PF_ANSICallbacksSuite1, sin, 96, 8);
ASSERT_HOST_MEMBER(PF_ANSICallbacksSuite1, sqrt, 104, 8);
ASSERT_HOST_MEMBER(PF_ANSICallbacksSuite1, tan, 112, 8);
ASSERT_HOST_MEMBER(PF_ANSICallbacksSuite1, sprintf, 120, 8);
ASSERT_HOST_MEMBER(PF_ANSICallbacksSuite1, strcpy, 128, 8);
ASSERT_HOST_MEMBER(PF_ANSICallbacksSuite1, asin, 136, 8);
ASSERT_HOST_MEMBER(PF_ANSICallbacksSuite1, acos, 144, 8);

static_assert(sizeof(PF_ANSICallbacks) == 160);
ASSERT_HOST_MEMBER(PF_ANSICallbacks, atan, 0, 8);
ASSERT_HOST_MEMBER(PF_ANSICallbacks, atan2, 8, 8);
ASSERT_HOST_MEMBER(PF_ANSICallbacks, ceil, 16, 8);
ASSERT_HOST_MEMBER(PF_ANSICallbacks, cos, 24, 8);
ASSERT_HOST_MEMBER(PF_ANSICallbacks, exp, 32, 8);
ASSERT_HOST_MEMBER(PF_ANSICallbacks, fabs, 40, 8);
ASSERT_HOST_MEMBER(PF_ANSICallbacks, floor, 48, 8);
ASSERT_HOST_MEMBER(PF_ANSICallbacks, fmod, 56, 8);
ASSERT_HOST_MEMBER(PF_ANSICallbacks, hypot, 64, 8);
ASSERT_HOST_MEMBER(PF_ANSICallbacks, log, 72, 8);
ASSERT_HOST_MEMBER(PF_ANSICallbacks, log10, 80, 8);
ASSERT_HOST_MEMBER(PF_ANSICallbacks, pow, 88, 8);
ASSERT_HOST_MEMBER(PF_ANSICallbacks, sin, 96, 8);
ASSERT_HOST_MEMBER(PF_ANSICallbacks, sqrt, 104, 8);
ASSERT_HOST_MEMBER(PF_ANSICallbacks, tan, 112, 8);
ASSERT_HOST_MEMBER(PF_ANSICallbacks, sprintf, 120, 8);
ASSERT_HOST_MEMBER(PF_ANSICallbacks, strcpy, 128, 8);
ASSERT_HOST_MEMBER(PF_ANSICallbacks, asin, 136, 8);
ASSERT_HOST_MEMBER(PF_ANSICallbacks, acos, 144, 8);
ASSERT_HOST_MEMBER(PF_ANSICallbacks, unused_longA, 152, 4);

static_assert(sizeof(PF_UtilCallbacks) == 552);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, begin_sampling, 0, 8);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, subpixel_sample, 8, 8);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, area_sample, 16, 8);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, get_batch_func_is_deprecated, 24, 8);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, end_sampling, 32, 8);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, composite_rect, 40, 8);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, blend, 48, 8);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, convolve, 56, 8);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, copy, 64, 8);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, fill, 72, 8);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, gaussian_kernel, 80, 8);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, iterate, 88, 8);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, premultiply, 96, 8);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, premultiply_color, 104, 8);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, new_world, 112, 8);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, dispose_world, 120, 8);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, iterate_origin, 128, 8);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, iterate_lut, 136, 8);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, transfer_rect, 144, 8);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, transform_world, 152, 8);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, host_new_handle, 160, 8);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, host_lock_handle, 168, 8);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, host_unlock_handle, 176, 8);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, host_dispose_handle, 184, 8);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, get_callback_addr, 192, 8);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, app, 200, 8);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, ansi, 208, 160);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, colorCB, 368, 64);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, get_platform_data, 432, 8);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, host_get_handle_size, 440, 8);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, iterate_origin_non_clip_src, 448, 8);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, iterate_generic, 456, 8);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, host_resize_handle, 464, 8);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, subpixel_sample16, 472, 8);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, area_sample16, 480, 8);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, fill16, 488, 8);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, premultiply_color16, 496, 8);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, iterate16, 504, 8);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, iterate_origin16, 512, 8);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, iterate_origin_non_clip_src16, 520, 8);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, get_pixel_data8, 528, 8);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, get_pixel_data16, 536, 8);
ASSERT_HOST_MEMBER(PF_UtilCallbacks, reserved, 544, 4);

static_assert(sizeof(PF_InteractCallbacks) == 176);
ASSERT_HOST_MEMBER(PF_InteractCallbacks, checkout_param, 0, 8);
ASSERT_HOST_MEMBER(PF_InteractCallbacks, checkin_param, 8, 8);
ASSERT_HOST_MEMBER(PF_InteractCallbacks, add_param, 16, 8);
ASSERT_HOST_MEMBER(PF_InteractCallbacks, abort, 24, 8);
ASSERT_HOST_MEMBER(PF_InteractCallbacks, progress, 32, 8);
ASSERT_HOST_MEMBER(PF_InteractCallbacks, register_ui, 40, 8);
ASSERT_HOST_MEMBER(PF_InteractCallbacks, checkout_layer_audio, 48, 8);
ASSERT_HOST_MEMBER(PF_InteractCallbacks, checkin_layer_audio, 56, 8);
ASSERT_HOST_MEMBER(PF_InteractCallbacks, get_audio_data, 64, 8);
ASSERT_HOST_MEMBER(PF_InteractCallbacks, reserved_str, 72, 24);
ASSERT_HOST_MEMBER(PF_InteractCallbacks, reserved, 96, 80);

static_assert(sizeof(PF_InData) == 408);
ASSERT_HOST_MEMBER(PF_InData, inter, 0, 176);
ASSERT_HOST_MEMBER(PF_InData, utils, 176, 8);
ASSERT_HOST_MEMBER(PF_InData, effect_ref, 184, 8);
ASSERT_HOST_MEMBER(PF_InData, quality, 192, 4);
ASSERT_HOST_MEMBER(PF_InData, version, 196, 4);
ASSERT_HOST_MEMBER(PF_InData, serial_num, 200, 4);
ASSERT_HOST_MEMBER(PF_InData, appl_id, 204, 4);
ASSERT_HOST_MEMBER(PF_InData, num_params, 208, 4);
ASSERT_HOST_MEMBER(PF_InData, reserved, 212, 4);
ASSERT_HOST_MEMBER(PF_InData, what_cpu, 216, 4);
ASSERT_HOST_MEMBER(PF_InData, what_fpu, 220, 4);
ASSERT_HOST_MEMBER(PF_InData, current_time, 224, 4);
ASSERT_HOST_MEMBER(PF_InData, time_step, 228, 4);
ASSERT_HOST_MEMBER(PF_InData, total_time, 232, 4);
ASSERT_HOST_MEMBER(PF_InData, local_time_step, 236, 4);
ASSERT_HOST_MEMBER(PF_InData, time_scale, 240, 4);
ASSERT_HOST_MEMBER(PF_InData, field, 244, 4);
ASSERT_HOST_MEMBER(PF_InData, shutter_angle, 248, 4);
ASSERT_HOST_MEMBER(PF_InData, width, 252, 4);
ASSERT_HOST_MEMBER(PF_InData, height, 256, 4);
ASSERT_HOST_MEMBER(PF_InData, extent_hint, 260, 16);
ASSERT_HOST_MEMBER(PF_InData, output_origin_x, 276, 4);
ASSERT_HOST_MEMBER(PF_InData, output_origin_y, 280, 4);
ASSERT_HOST_MEMBER(PF_InData, downsample_x, 284, 8);
ASSERT_HOST_MEMBER(PF_InData, downsample_y, 292, 8);
ASSERT_HOST_MEMBER(PF_InData, pixel_aspect_ratio, 300, 8);
ASSERT_HOST_MEMBER(PF_InData, in_flags, 308, 4);
ASSERT_HOST_MEMBER(PF_InData, global_data, 312, 8);
ASSERT_HOST_MEMBER(PF_InData, sequence_data, 320, 8);
ASSERT_HOST_MEMBER(PF_InData, frame_data, 328, 8);
ASSERT_HOST_MEMBER(PF_InData, start_sampL, 336, 4);
ASSERT_HOST_MEMBER(PF_InData, dur_sampL, 340, 4);
ASSERT_HOST_MEMBER(PF_InData, total_sampL, 344, 4);
ASSERT_HOST_MEMBER(PF_InData, src_snd, 352, 32);
ASSERT_HOST_MEMBER(PF_InData, pica_basicP, 384, 8);
ASSERT_HOST_MEMBER(PF_InData, pre_effect_source_origin_x, 392, 4);
ASSERT_HOST_MEMBER(PF_InData, pre_effect_source_origin_y, 396, 4);
ASSERT_HOST_MEMBER(PF_InData, shutter_phase, 400, 4);

static_assert(sizeof(PF_OutData) == 408);
ASSERT_HOST_MEMBER(PF_OutData, my_version, 0, 4);
ASSERT_HOST_MEMBER(PF_OutData, name, 4, 32);
ASSERT_HOST_MEMBER(PF_OutData, global_data, 40, 8);
ASSERT_HOST_MEMBER(PF_OutData, num_params, 48, 4);
ASSERT_HOST_MEMBER(PF_OutData, sequence_data, 56, 8);
ASSERT_HOST_MEMBER(PF_OutData, flat_sdata_size, 64, 4);
ASSERT_HOST_MEMBER(PF_OutData, frame_data, 72, 8);
ASSERT_HOST_MEMBER(PF_OutData, width, 80, 4);
ASSERT_HOST_MEMBER(PF_OutData, height, 84, 4);
ASSERT_HOST_MEMBER(PF_OutData, origin, 88, 8);
ASSERT_HOST_MEMBER(PF_OutData, out_flags, 96, 4);
ASSERT_HOST_MEMBER(PF_OutData, return_msg, 100, 256);
ASSERT_HOST_MEMBER(PF_OutData, start_sampL, 356, 4);
ASSERT_HOST_MEMBER(PF_OutData, dur_sampL, 360, 4);
ASSERT_HOST_MEMBER(PF_OutData, dest_snd, 368, 32);
ASSERT_HOST_MEMBER(PF_OutData, out_flags2, 400, 4);
