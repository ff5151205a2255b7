// The tuner's image codecs (image_codec.cpp): PNG, OpenEXR, TIFF and DPX
// files decoded into RGBA samples and the result encoded as huesieve-render
// writes it, for the worker. Each call reports a fault through its return value,
// the reason through huesieve_image_message.
#pragma once

#include <cstdint>

struct HuesieveImage;

extern "C" {

HuesieveImage* huesieve_image_new();
void huesieve_image_free(HuesieveImage* image);

// Reads the file of `size` bytes at `bytes` (PNG, OpenEXR, TIFF or DPX, told by
// its content). Returns 1; 0 with the reason kept; -1 when the file is none
// of these formats.
std::int32_t huesieve_image_decode(HuesieveImage* image, const std::uint8_t* bytes,
                                   std::uint32_t size, std::uint32_t max_pixels);
const char* huesieve_image_message(const HuesieveImage* image);

// The frame read: its size; its samples' type (0 8-bit, 1 16-bit, 2 float)
// and whether they are premultiplied; the file's format (image::FileFormat),
// bits a sample and stored type (image::OutputType).
std::int32_t huesieve_image_width(const HuesieveImage* image);
std::int32_t huesieve_image_height(const HuesieveImage* image);
std::int32_t huesieve_image_sample_type(const HuesieveImage* image);
std::int32_t huesieve_image_premultiplied(const HuesieveImage* image);
std::int32_t huesieve_image_format(const HuesieveImage* image);
std::int32_t huesieve_image_bits(const HuesieveImage* image);
std::int32_t huesieve_image_stored_type(const HuesieveImage* image);
// The frame's RGBA samples, row after row; null on a fault.
std::uint8_t* huesieve_image_samples(HuesieveImage* image);

// Starts a frame of `width` × `height` straight RGBA samples of `bits` (8 or
// 16) that encodes as a PNG, as huesieve-render writes the result of a file
// it reads but does not write (JPEG). Returns 1, 0 on a fault.
std::int32_t huesieve_image_start_png(HuesieveImage* image, std::uint32_t width,
                                      std::uint32_t height, std::int32_t bits);

// Encodes the frame's samples as the file read. Returns the encoded size, 0
// on a fault; the bytes are at huesieve_image_encoded until the next call.
std::uint32_t huesieve_image_encode(HuesieveImage* image);
const std::uint8_t* huesieve_image_encoded(const HuesieveImage* image);

}  // extern "C"
