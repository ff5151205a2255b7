// What a worker of the pipeline does with a frame of image files or of a raw
// stream: read it into its own frame, render it there, write it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "files/temporary_files.h"
#include "image/frame_buffer.h"
#include "image/image_header.h"
#include "tools/huesieve-render/frame_pipeline.h"
#include "tools/huesieve-render/frame_renderer.h"
#include "tools/huesieve-render/raw_frames.h"
#include "tools/huesieve-render/write_notes.h"

namespace huesieve::cli {

// Single images and image sequences: frame i is inputs[i] to outputs[i].
class FileFrames : public FrameWork {
 public:
  FileFrames(const FrameRenderer& renderer, const std::vector<std::string>& inputs,
             const std::vector<std::string>& outputs, const image::ReadOptions& read_options,
             std::optional<image::OutputType> output_type, files::TemporaryFiles& temporaries,
             WriteNotes& notes);

  bool Read(std::uint64_t index) override;
  void Render(std::uint64_t index) override;
  void Write(std::uint64_t index) override;
  std::string Name(std::uint64_t index) const override;

 private:
  const FrameRenderer& renderer_;
  const std::vector<std::string>& inputs_;
  const std::vector<std::string>& outputs_;
  const image::ReadOptions read_options_;
  std::optional<image::OutputType> output_type_;
  files::TemporaryFiles& temporaries_;
  WriteNotes& notes_;
  image::ImageHeader header_;  // of the input read last
  image::FrameBuffer frame_;
};

// A raw stream, whose reader and writer the workers share: the pipeline calls
// Read and Write one worker at a time, in frame order.
class StreamFrames : public FrameWork {
 public:
  StreamFrames(const FrameRenderer& renderer, RawReader& reader, RawWriter& writer,
               const std::string& input_name);

  bool Read(std::uint64_t index) override;
  void Render(std::uint64_t index) override;
  void Write(std::uint64_t index) override;
  std::string Name(std::uint64_t index) const override;

 private:
  const FrameRenderer& renderer_;
  RawReader& reader_;
  RawWriter& writer_;
  const std::string& input_name_;
  image::FrameBuffer frame_;
};

}  // namespace huesieve::cli
