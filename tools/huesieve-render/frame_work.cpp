#include "tools/huesieve-render/frame_work.h"

#include "tools/huesieve-render/png_frames.h"
#include "tools/huesieve-render/tool_errors.h"

namespace huesieve::cli {

Renderer::Renderer(const hostsim::Host& host, const Module& module)
    : host_(host),
      module_(module),
      deep_((host.out_data.out_flags & PF_OutFlag_DEEP_COLOR_AWARE) != 0) {}

void Renderer::Render(HostFrame& input, HostFrame& output, const std::string& what) const {
  if (input.deep() && !deep_) {
    throw ToolError(what + ": 16-bit image, but module " + module_.path() +
                    " does not declare 16-bit rendering (flag 0x02000000)");
  }
  output.Reset(input.deep(), input.width(), input.height());
  PF_LayerDef input_record = input.Record();
  PF_LayerDef output_record = output.Record();
  module_.Check(host_.Render(input_record, output_record), "to render " + what);
}

FileFrames::FileFrames(const Renderer& renderer, const std::vector<std::string>& inputs,
                       const std::vector<std::string>& outputs, std::uint64_t max_pixels)
    : renderer_(renderer), inputs_(inputs), outputs_(outputs), max_pixels_(max_pixels) {}

bool FileFrames::Read(std::uint64_t index) {
  ReadPngFrame(inputs_.at(index), max_pixels_, input_);
  return true;
}

void FileFrames::Render(std::uint64_t index) {
  renderer_.Render(input_, output_, inputs_.at(index));
}

void FileFrames::Write(std::uint64_t index) { WritePngFrame(outputs_.at(index), output_); }

std::string FileFrames::Name(std::uint64_t index) const { return inputs_.at(index); }

StreamFrames::StreamFrames(const Renderer& renderer, RawReader& reader, RawWriter& writer,
                           const std::string& input_name)
    : renderer_(renderer), reader_(reader), writer_(writer), input_name_(input_name) {}

bool StreamFrames::Read(std::uint64_t index) { return reader_.ReadFrame(index + 1, input_); }

void StreamFrames::Render(std::uint64_t index) { renderer_.Render(input_, output_, Name(index)); }

void StreamFrames::Write(std::uint64_t) { writer_.WriteFrame(output_); }

std::string StreamFrames::Name(std::uint64_t index) const {
  return "frame " + std::to_string(index + 1) + " of " + input_name_;
}

}  // namespace huesieve::cli
