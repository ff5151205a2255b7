// What a worker of the pipeline does with a frame of image files or of a raw
// stream: read it into its own input image, render it through the module into
// its own output image, write it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/huesieve-render/frame_pipeline.h"
#include "hostsim/host.h"
#include "tools/huesieve-render/host_frame.h"
#include "tools/huesieve-render/module.h"
#include "tools/huesieve-render/raw_frames.h"

namespace huesieve::cli {

// The module's Render, as the host sends it, over two host frames.
class Renderer {
 public:
  Renderer(const hostsim::Host& host, const Module& module);

  // Renders `input` into `output`, which takes its size and depth. `what`
  // names the frame in messages. Throws ToolError.
  void Render(HostFrame& input, HostFrame& output, const std::string& what) const;

 private:
  const hostsim::Host& host_;
  const Module& module_;
  bool deep_;  // the module declares 16-bit rendering
};

// Single images and image sequences: frame i is inputs[i] to outputs[i].
class FileFrames : public FrameWork {
 public:
  FileFrames(const Renderer& renderer, const std::vector<std::string>& inputs,
             const std::vector<std::string>& outputs, std::uint64_t max_pixels);

  bool Read(std::uint64_t index) override;
  void Render(std::uint64_t index) override;
  void Write(std::uint64_t index) override;
  std::string Name(std::uint64_t index) const override;

 private:
  const Renderer& renderer_;
  const std::vector<std::string>& inputs_;
  const std::vector<std::string>& outputs_;
  std::uint64_t max_pixels_;
  HostFrame input_;
  HostFrame output_;
};

// A raw stream, whose reader and writer the workers share: the pipeline calls
// Read and Write one worker at a time, in frame order.
class StreamFrames : public FrameWork {
 public:
  StreamFrames(const Renderer& renderer, RawReader& reader, RawWriter& writer,
               const std::string& input_name);

  bool Read(std::uint64_t index) override;
  void Render(std::uint64_t index) override;
  void Write(std::uint64_t index) override;
  std::string Name(std::uint64_t index) const override;

 private:
  const Renderer& renderer_;
  RawReader& reader_;
  RawWriter& writer_;
  const std::string& input_name_;
  HostFrame input_;
  HostFrame output_;
};

}  // namespace huesieve::cli
