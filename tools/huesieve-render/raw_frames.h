// Raw video frames, one after another with nothing between them, as ffmpeg's
// rawvideo format carries them: RGBA 8-bit (rgba) or RGBA 16-bit
// little-endian (rgba64le) over the whole 16-bit scale, rows top to bottom:
// the core's Rgba8 and Rgba16 pixels on this little-endian machine, read into
// and written from the frame as they are.
#pragma once

#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include "image/frame_buffer.h"

namespace huesieve::cli {

struct RawFormat {
  std::uint32_t width = 0;
  std::uint32_t height = 0;
  bool deep = false;

  image::SampleType type() const { return deep ? image::SampleType::kUint16 : image::SampleType::kUint8; }
  std::size_t row_bytes() const { return std::size_t{width} * 4 * image::SampleSize(type()); }
  std::size_t frame_bytes() const { return row_bytes() * height; }
};

// The reader of the output went away; the run ends quietly.
class BrokenPipe : public std::runtime_error {
 public:
  BrokenPipe() : std::runtime_error("broken pipe") {}
};

class RawReader {
 public:
  // Reads from `file`, which the caller keeps open; `name` is for messages.
  RawReader(std::FILE* file, std::string name, const RawFormat& format);

  // Reads the next frame, the `number`th (from 1), into `frame`. Returns false
  // when the stream ends before it. Throws std::runtime_error naming the
  // frame when the stream ends inside it, or on a read error.
  bool ReadFrame(std::uint64_t number, image::FrameBuffer& frame);

 private:
  std::FILE* file_;
  std::string name_;
  RawFormat format_;
};

class RawWriter {
 public:
  // Writes to `file`, which the caller keeps open; `name` is for messages.
  RawWriter(std::FILE* file, std::string name, const RawFormat& format);

  // Writes `frame` whole and flushes it. Throws BrokenPipe when the reader of
  // a pipe has gone, std::runtime_error naming the output on other errors.
  void WriteFrame(image::FrameBuffer& frame);

 private:
  std::FILE* file_;
  std::string name_;
  RawFormat format_;
};

}  // namespace huesieve::cli
