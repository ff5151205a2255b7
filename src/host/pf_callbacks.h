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

using SPAcquireSuiteFunc = SPErr (*)(const char* name, std::int32_t version, const void** suite);
using SPReleaseSuiteFunc = SPErr (*)(const char* name, std::int32_t version);

// The host's suite broker.
struct SPBasicSuite {
  SPAcquireSuiteFunc AcquireSuite;    // 0
  SPReleaseSuiteFunc ReleaseSuite;    // 8
  PF_UnusedCallback IsEqual;          // 16
  PF_UnusedCallback AllocateBlock;    // 24
  PF_UnusedCallback FreeBlock;        // 32
  PF_UnusedCallback ReallocateBlock;  // 40
  PF_UnusedCallback Undefined;        // 48
};
static_assert(sizeof(SPBasicSuite) == 56);
ASSERT_HOST_MEMBER(SPBasicSuite, AcquireSuite, 0, 8);
ASSERT_HOST_MEMBER(SPBasicSuite, ReleaseSuite, 8, 8);
ASSERT_HOST_MEMBER(SPBasicSuite, IsEqual, 16, 8);
ASSERT_HOST_MEMBER(SPBasicSuite, AllocateBlock, 24, 8);
ASSERT_HOST_MEMBER(SPBasicSuite, FreeBlock, 32, 8);
ASSERT_HOST_MEMBER(SPBasicSuite, ReallocateBlock, 40, 8);
ASSERT_HOST_MEMBER(SPBasicSuite, Undefined, 48, 8);

using PF_SprintfFunc = A_long (*)(A_char* buffer, const A_char* format, ...);
using PF_StrcpyFunc = A_char* (*)(A_char* dst, const A_char* src);

// "PF ANSI Suite" version 1. The host formats like the C library's sprintf and
// does not bound the output.
struct PF_ANSICallbacksSuite1 {
  PF_UnusedCallback atan;   // 0
  PF_UnusedCallback atan2;  // 8
  PF_UnusedCallback ceil;   // 16
  PF_UnusedCallback cos;    // 24
  PF_UnusedCallback exp;    // 32
  PF_UnusedCallback fabs;   // 40
  PF_UnusedCallback floor;  // 48
  PF_UnusedCallback fmod;   // 56
  PF_UnusedCallback hypot;  // 64
  PF_UnusedCallback log;    // 72
  PF_UnusedCallback log10;  // 80
  PF_UnusedCallback pow;    // 88
  PF_UnusedCallback sin;    // 96
  PF_UnusedCallback sqrt;   // 104
  PF_UnusedCallback tan;    // 112
  PF_SprintfFunc sprintf;   // 120
  PF_StrcpyFunc strcpy;     // 128
  PF_UnusedCallback asin;   // 136
  PF_UnusedCallback acos;   // 144
};
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

// The same functions, held inline in the utility callbacks.
struct PF_ANSICallbacks {
  PF_UnusedCallback atan;   // 0
  PF_UnusedCallback atan2;  // 8
  PF_UnusedCallback ceil;   // 16
  PF_UnusedCallback cos;    // 24
  PF_UnusedCallback exp;    // 32
  PF_UnusedCallback fabs;   // 40
  PF_UnusedCallback floor;  // 48
  PF_UnusedCallback fmod;   // 56
  PF_UnusedCallback hypot;  // 64
  PF_UnusedCallback log;    // 72
  PF_UnusedCallback log10;  // 80
  PF_UnusedCallback pow;    // 88
  PF_UnusedCallback sin;    // 96
  PF_UnusedCallback sqrt;   // 104
  PF_UnusedCallback tan;    // 112
  PF_SprintfFunc sprintf;   // 120
  PF_StrcpyFunc strcpy;     // 128
  PF_UnusedCallback asin;   // 136
  PF_UnusedCallback acos;   // 144
  A_long unused_longA;      // 152
  // 4 bytes of padding to 160: the record is 8-byte aligned
};
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

// Eight colour-space callbacks, held inline in the utility callbacks.
struct PF_ColorCallbacks {
  PF_UnusedCallback callbacks[8];  // 0
};
static_assert(sizeof(PF_ColorCallbacks) == 64);
ASSERT_HOST_MEMBER(PF_ColorCallbacks, callbacks, 0, 64);

// Copies the whole source image into the destination when both rectangles are
// null.
using PF_CopyFunc = PF_Err (*)(PF_ProgPtr effect_ref, PF_EffectWorld* src, PF_EffectWorld* dst,
                               PF_Rect* src_r, PF_Rect* dst_r);
// Yield the address of the image's first pixel; the 16-bit form yields null for
// an image that is not 16-bit.
using PF_GetPixelData8Func = PF_Err (*)(PF_EffectWorld* world, PF_PixelPtr pixels,
                                        PF_Pixel8** pixel);
using PF_GetPixelData16Func = PF_Err (*)(PF_EffectWorld* world, PF_PixelPtr pixels,
                                         PF_Pixel16** pixel);

struct PF_UtilCallbacks {
  PF_UnusedCallback begin_sampling;                 // 0
  PF_UnusedCallback subpixel_sample;                // 8
  PF_UnusedCallback area_sample;                    // 16
  PF_UnusedCallback get_batch_func_is_deprecated;   // 24
  PF_UnusedCallback end_sampling;                   // 32
  PF_UnusedCallback composite_rect;                 // 40
  PF_UnusedCallback blend;                          // 48
  PF_UnusedCallback convolve;                       // 56
  PF_CopyFunc copy;                                 // 64
  PF_UnusedCallback fill;                           // 72
  PF_UnusedCallback gaussian_kernel;                // 80
  PF_UnusedCallback iterate;                        // 88
  PF_UnusedCallback premultiply;                    // 96
  PF_UnusedCallback premultiply_color;              // 104
  PF_UnusedCallback new_world;                      // 112
  PF_UnusedCallback dispose_world;                  // 120
  PF_UnusedCallback iterate_origin;                 // 128
  PF_UnusedCallback iterate_lut;                    // 136
  PF_UnusedCallback transfer_rect;                  // 144
  PF_UnusedCallback transform_world;                // 152
  PF_UnusedCallback host_new_handle;                // 160
  PF_UnusedCallback host_lock_handle;               // 168
  PF_UnusedCallback host_unlock_handle;             // 176
  PF_UnusedCallback host_dispose_handle;            // 184
  PF_UnusedCallback get_callback_addr;              // 192
  PF_UnusedCallback app;                            // 200
  PF_ANSICallbacks ansi;                            // 208
  PF_ColorCallbacks colorCB;                        // 368
  PF_UnusedCallback get_platform_data;              // 432
  PF_UnusedCallback host_get_handle_size;           // 440
  PF_UnusedCallback iterate_origin_non_clip_src;    // 448
  PF_UnusedCallback iterate_generic;                // 456
  PF_UnusedCallback host_resize_handle;             // 464
  PF_UnusedCallback subpixel_sample16;              // 472
  PF_UnusedCallback area_sample16;                  // 480
  PF_UnusedCallback fill16;                         // 488
  PF_UnusedCallback premultiply_color16;            // 496
  PF_UnusedCallback iterate16;                      // 504
  PF_UnusedCallback iterate_origin16;               // 512
  PF_UnusedCallback iterate_origin_non_clip_src16;  // 520
  PF_GetPixelData8Func get_pixel_data8;             // 528
  PF_GetPixelData16Func get_pixel_data16;           // 536
  A_long reserved;                                  // 544
  // 4 bytes of padding to 552: the record is 8-byte aligned
};
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

// Appends a parameter after those added so far (index -1); the host keeps its
// own copy of the record.
using PF_AddParamFunc = PF_Err (*)(PF_ProgPtr effect_ref, PF_ParamIndex index, PF_ParamDefPtr def);

struct PF_InteractCallbacks {
  PF_UnusedCallback checkout_param;        // 0
  PF_UnusedCallback checkin_param;         // 8
  PF_AddParamFunc add_param;               // 16
  PF_UnusedCallback abort;                 // 24
  PF_UnusedCallback progress;              // 32
  PF_UnusedCallback register_ui;           // 40
  PF_UnusedCallback checkout_layer_audio;  // 48
  PF_UnusedCallback checkin_layer_audio;   // 56
  PF_UnusedCallback get_audio_data;        // 64
  PF_UnusedCallback reserved_str[3];       // 72
  PF_UnusedCallback reserved[10];          // 96
};
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

struct PF_SpecVersion {
  A_short major;  // 0
  A_short minor;  // 2
};
static_assert(sizeof(PF_SpecVersion) == 4);
ASSERT_HOST_MEMBER(PF_SpecVersion, major, 0, 2);
ASSERT_HOST_MEMBER(PF_SpecVersion, minor, 2, 2);

// The host's sound buffer record; the module handles no sound.
struct PF_SoundWorld {
  alignas(8) A_u_char opaque[32];  // 0
};
static_assert(sizeof(PF_SoundWorld) == 32 && alignof(PF_SoundWorld) == 8);
ASSERT_HOST_MEMBER(PF_SoundWorld, opaque, 0, 32);

struct PF_Point {
  A_long h;  // 0
  A_long v;  // 4
};
static_assert(sizeof(PF_Point) == 8);
ASSERT_HOST_MEMBER(PF_Point, h, 0, 4);
ASSERT_HOST_MEMBER(PF_Point, v, 4, 4);

struct PF_InData {
  PF_InteractCallbacks inter;           // 0
  PF_UtilCallbacks* utils;              // 176
  PF_ProgPtr effect_ref;                // 184
  A_long quality;                       // 192
  PF_SpecVersion version;               // 196
  A_long serial_num;                    // 200
  A_long appl_id;                       // 204
  A_long num_params;                    // 208
  A_long reserved;                      // 212
  A_long what_cpu;                      // 216
  A_long what_fpu;                      // 220
  A_long current_time;                  // 224
  A_long time_step;                     // 228
  A_long total_time;                    // 232
  A_long local_time_step;               // 236
  A_u_long time_scale;                  // 240
  A_long field;                         // 244
  PF_Fixed shutter_angle;               // 248
  A_long width;                         // 252
  A_long height;                        // 256
  PF_Rect extent_hint;                  // 260
  A_long output_origin_x;               // 276
  A_long output_origin_y;               // 280
  PF_RationalScale downsample_x;        // 284
  PF_RationalScale downsample_y;        // 292
  PF_RationalScale pixel_aspect_ratio;  // 300
  A_long in_flags;                      // 308
  PF_Handle global_data;                // 312
  PF_Handle sequence_data;              // 320
  PF_Handle frame_data;                 // 328
  A_long start_sampL;                   // 336
  A_long dur_sampL;                     // 340
  A_long total_sampL;                   // 344
  // 4 bytes of padding: src_snd is 8-byte aligned
  PF_SoundWorld src_snd;              // 352
  SPBasicSuite* pica_basicP;          // 384
  A_long pre_effect_source_origin_x;  // 392
  A_long pre_effect_source_origin_y;  // 396
  PF_Fixed shutter_phase;             // 400
  // 4 bytes of padding to 408: the record is 8-byte aligned
};
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

inline constexpr std::size_t PF_MAX_EFFECT_MSG_LEN = 255;

struct PF_OutData {
  A_u_long my_version;  // 0
  A_char name[32];      // 4
  // 4 bytes of padding: global_data is 8-byte aligned
  PF_Handle global_data;  // 40
  A_long num_params;      // 48
  // 4 bytes of padding: sequence_data is 8-byte aligned
  PF_Handle sequence_data;   // 56
  A_u_long flat_sdata_size;  // 64
  // 4 bytes of padding: frame_data is 8-byte aligned
  PF_Handle frame_data;                          // 72
  A_long width;                                  // 80
  A_long height;                                 // 84
  PF_Point origin;                               // 88
  PF_OutFlags out_flags;                         // 96
  A_char return_msg[PF_MAX_EFFECT_MSG_LEN + 1];  // 100
  A_long start_sampL;                            // 356
  A_long dur_sampL;                              // 360
  // 4 bytes of padding: dest_snd is 8-byte aligned
  PF_SoundWorld dest_snd;   // 368
  PF_OutFlags2 out_flags2;  // 400
  // 4 bytes of padding to 408: the record is 8-byte aligned
};
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
