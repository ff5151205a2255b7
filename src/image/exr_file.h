// OpenEXR files through OpenEXR's own library. One layer of one part is
// keyed: R, G, B and A (or NAME.R, NAME.G, NAME.B and NAME.A, the layer the
// reader is asked for) of the first part that holds them, read into an
// associated RgbaFloat frame. Every other channel and part passes through:
// the keyed part's other channels as their samples, the other parts as the
// file's compressed chunks, copied back unchanged, with every header
// attribute (compression, tiling, windows, names).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include <OpenEXR/ImfChannelList.h>
#include <OpenEXR/ImfHeader.h>

#include "image/byte_sink.h"
#include "image/frame_buffer.h"
#include "image/image_header.h"

namespace huesieve::image {

// A channel of the keyed part that is not keyed: its samples as the file
// holds them, row after row of (width / x sampling) samples.
struct ExrChannelSamples {
  std::string name;
  Imf::Channel channel;
  std::size_t row_samples = 0;
  std::unique_ptr<char[]> samples;
};

struct ExrFile {
  // Every part's header, in the file's order.
  std::vector<Imf::Header> headers;
  std::size_t keyed_part = 0;
  // The keyed channels' layer: "" or "NAME.". A keyed part is written with
  // LAYER R, G, B and A in place of the keyed channels.
  std::string layer_prefix;
  // The keyed channels read: three colour channels, or one for grey; alpha
  // is empty when the part has none.
  std::vector<std::string> colour;
  std::string alpha;
  std::vector<ExrChannelSamples> passed;
  // The file as read: the parts not keyed are copied from it chunk by chunk.
  std::vector<char> bytes;
};

namespace exr {

// Whether a file starting with these bytes is OpenEXR.
bool Sniff(const unsigned char* first_bytes, std::size_t count);

// Reads the OpenEXR file `file` of `file_size` bytes into `frame` (its data
// window), taking the frame's memory as rows arrive. Every header field that
// sizes memory is checked against the file and options.max_pixels before the
// library reads it. Deep images, mipmapped or ripmapped keyed parts, and
// keyed channels that are subsampled or unsigned integers are refused.
// Throws files::FileError with the reason alone.
ImageHeader Read(std::FILE* file, std::uint64_t file_size, const ReadOptions& options,
                 FrameBuffer& frame);

// Writes `frame` as OpenEXR into `sink`: every part and channel of the file
// `source` was read from (when it was OpenEXR), the keyed channels from the
// frame at `type` (kHalf or kFloat). A straight frame is premultiplied, as
// OpenEXR holds colour. Throws files::FileError with the reason alone.
void Write(ByteSink& sink, const ImageHeader& source, OutputType type, FrameBuffer& frame);

// What a format holding one RGBA image would leave out of `file`: e.g.
// `channels Z, diffuse.R; part 2 "shadow"`. Empty when nothing.
std::string DescribeLeftOut(const ExrFile& file);

}  // namespace exr
}  // namespace huesieve::image
